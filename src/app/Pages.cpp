#include "app/Pages.h"

#include "app/ssqx.h"
#include "pages/ALM1.h"
#include "pages/CONFIG1.h"
#include "pages/FenzuPID.h"
#include "pages/Fenzuout1.h"
#include "pages/PIDC.h"
#include "program/Tech.h"
#include "settings/EtheernetSET.h"
#include "settings/TimeSet.h"

#include <array>

namespace {

struct PageWindow {
    Page page;
    PageOpener open;
};

// Each page's window, in the order of the enum.
constexpr PageWindow kPageWindows[] = {
    {Page::Tech, &ShowPage<Tech>},
    {Page::ALM1, &ShowPage<ALM1>},
    {Page::PIDC, &ShowPage<PIDC>},
    {Page::CONFIG1, &ShowPage<CONFIG1>},
    {Page::FenzuPID, &ShowPage<FenzuPID>},
    {Page::Fenzuout1, &ShowPage<Fenzuout1>},
    {Page::TimeSet, &ShowPage<TimeSet>},
    {Page::EtheernetSET, &ShowPage<EtheernetSET>},
};
static_assert(std::size(kPageWindows) == kPageCount);

std::array<PageOpener, kPageCount>& Openers()
{
    static std::array<PageOpener, kPageCount> openers = [] {
        std::array<PageOpener, kPageCount> table{};
        for (const PageWindow& w : kPageWindows)
            table[static_cast<size_t>(w.page)] = w.open;
        return table;
    }();
    return openers;
}

} // namespace

PageOpener& PageOpenerOf(Page page) { return Openers()[static_cast<size_t>(page)]; }

void OpenPage(Page page)
{
    const PageOpener open = PageOpenerOf(page);
    if (!open)
        return;
    if (forms::IsLoaded<ssqx>())
        forms::Instance<ssqx>().hide();
    open();
}

void InstallHomeWindow()
{
    forms::SetHomeWindow([]() -> forms::Form& { return forms::Instance<ssqx>(); });
}
