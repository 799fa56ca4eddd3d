#pragma once
// The PID page: the fourteen PID parameters, registers 2001 to 2014, in one
// page grid read every 2000 ms.

#include "pages/GridPage.h"

// MSFlexGrid1 with its editor Text1, "返回" (Command1) and Timer1 (2000 ms,
// from the load) are the grid page's.
class PIDC : public pages::GridPage {
    Q_OBJECT
public:
    PIDC();

    // The page as data, and what it keeps across "返回" and a reopen
    // (EditRow and EditCol; the buffer serves the visit's last good read).
    static const pages::PageDescription& Page();
    static pages::PageState& State();
};
