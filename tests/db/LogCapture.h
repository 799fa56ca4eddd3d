#pragma once
// Collects the warnings of one logging category while it lives.

#include <QByteArray>
#include <QMessageLogContext>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstring>

class LogCapture {
public:
    explicit LogCapture(const char* category) : category_(category)
    {
        current() = this;
        previous_ = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(previous_);
        current() = nullptr;
    }
    const QStringList& warnings() const { return warnings_; }

private:
    static LogCapture*& current()
    {
        static LogCapture* c = nullptr;
        return c;
    }
    static void handle(QtMsgType type, const QMessageLogContext& ctx, const QString& msg)
    {
        LogCapture* c = current();
        if (c && ctx.category && std::strcmp(ctx.category, c->category_.constData()) == 0) {
            if (type == QtWarningMsg || type == QtCriticalMsg)
                c->warnings_ << msg;
            return;
        }
        if (c && c->previous_)
            c->previous_(type, ctx, msg);
    }
    QByteArray category_;
    QtMessageHandler previous_ = nullptr;
    QStringList warnings_;
};
