#pragma once
// A window of the station (Form), its close guard and its unload, and the
// one default instance per window class that an unload releases.

#include <QPointer>
#include <QWidget>
#include <functional>

namespace forms {

// A window. Unload() answers a request to unload: while CloseGuard is set it
// refuses and nothing else happens; otherwise Form_Unload runs, the default
// instance is released and the window goes. The title-bar close box is such
// a request.
class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(QWidget* parent = nullptr);
    bool CloseGuard = false;
    bool Unload();
    // False from the moment an unload went through (the object itself goes
    // a little later, at the next turn of the event loop).
    bool Loaded() const { return loaded_; }

signals:
    // An unload went through; the window is hidden and about to go.
    void Unloaded();

protected:
    // The window's own clean-up on an unload that goes through.
    virtual void Form_Unload() {}
    void closeEvent(QCloseEvent* event) override;

private:
    template <class T> friend class DefaultInstance;
    friend void ShowInPlaceOf(Form& window, Form& from);
    friend void ClosePage(Form& window);
    std::function<void()> release_;
    QPointer<Form> returnTo_;
    bool loaded_ = true;
};

// One instance per window class, created (loaded) on first use; an unload
// releases it, and the next use loads a fresh one whose load runs again.
template <class T>
class DefaultInstance {
public:
    static T& Get()
    {
        if (!instance_) {
            instance_ = new T;
            instance_->release_ = [] { instance_ = nullptr; };
        }
        return *instance_;
    }
    static bool IsLoaded() { return !instance_.isNull(); }

private:
    static inline QPointer<T> instance_;
};

template <class T> T& Instance() { return DefaultInstance<T>::Get(); }
template <class T> bool IsLoaded() { return DefaultInstance<T>::IsLoaded(); }

} // namespace forms
