#pragma once
// The page windows that the overview opens, and their way back.
//
// A page button hides the overview (it stays loaded: its timers run on and
// its lists and boxes keep their texts) and shows the page through the
// page's default instance: modeless, without an owner, loaded afresh each
// time since its return unloads it. The page's return button calls
// forms::ClosePage, which shows the overview, the home window, again as the
// operator left it.
//
// A page's window takes part by its opener in the table in Pages.cpp:
//
//     {Page::ALM1, &ShowPage<ALM1>},
//
// and its return button's handler is `forms::ClosePage(*this);`. A page
// without an opener leaves its button doing nothing.

#include "platform/forms/Forms.h"

// The windows behind the overview's page buttons.
enum class Page {
    Tech,          // "曲线设置", the program editor
    ALM1,          // "报警设定", the alarm page
    PIDC,          // "PID"
    CONFIG1,       // "CONFIG"
    FenzuPID,      // "分组PID"
    Fenzuout1,     // "分组输出"
    TimeSet,       // "TIME SET", the clock page
    EtheernetSET,  // "Ethernet SET", the network page
};
inline constexpr int kPageCount = 8;

// Shows a page, loading it first when it is not loaded.
using PageOpener = void (*)();

template <class T>
void ShowPage()
{
    forms::Instance<T>().show();
}

// The opener of a page: the one from the table, or nullptr where there is
// none. Assignable, so a test can put a page of its own behind a button.
PageOpener& PageOpenerOf(Page page);

// Hides the overview and shows the page. A page without an opener leaves
// the overview as it is.
void OpenPage(Page page);

// Registers the overview as the home window that a return shows (loaded
// first, should it not be); called once at start-up.
void InstallHomeWindow();
