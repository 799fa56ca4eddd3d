#pragma once
// The hand-shake between the recorder and the windows around it. Everything
// runs on the one window-system thread, and each flag is raised by one side
// and lowered by the other, so no lock is needed.
//
//   CurveOpen     set True by the load of the overview and of the history
//                 window, False by their unload; read by the recorder.
//   NewShortRec   raised by the recorder after each short-ring row while
//                 CurveOpen; lowered by the overview's chart tick.
//   NewLongRec    the same for long-ring rows and the history window.
//   ConfBuf       0..191 = registers 4097..4288, filled by the configuration
//                 export; the recorder stores them in CONF fields 4..195.
//   OperatorName  the operator name; written by both exports, stored by the
//                 recorder in field 1 of CONF and Calibration.
//   SaveConfFlag  raised by the configuration export after its reads,
//                 lowered by the export window at load and by the recorder
//                 after each attempt (stored or not, so a failing database
//                 cannot make it try forever).
//   CaliBuf       0..63 = the 64 registers from 24577, filled by the
//                 calibration export; the recorder stores 0..41 in
//                 Calibration fields 5..46.
//   CaliNote      the remark of the calibration export (Calibration field 4).
//   SaveCaliFlag  as SaveConfFlag, for the calibration export.
//
//   SaveConfResult, SaveCaliResult: what became of the last request. An
//   export window sets its result to Pending when it raises its flag; the
//   recorder sets Stored (with the record number the database gave) or
//   Failed when it lowers the flag, so the window can tell the operator the
//   truth instead of reporting every export as a success.

#include <QString>
#include <array>
#include <cstdint>

inline bool CurveOpen = false;
inline bool NewShortRec = false;
inline bool NewLongRec = false;

inline std::array<int32_t, 211> ConfBuf{};
inline QString OperatorName;
inline bool SaveConfFlag = false;

inline std::array<int32_t, 91> CaliBuf{};
inline QString CaliNote;
inline bool SaveCaliFlag = false;

enum class SaveOutcome {
    None,      // nothing requested since start-up
    Pending,   // flag raised, the recorder has not tried yet
    Stored,    // the row is in the database
    Failed,    // the recorder tried and the row could not be written
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::None;
    qint64 recordNumber = 0;   // C_ID or ID of the stored row, else 0
};

inline SaveResult SaveConfResult;
inline SaveResult SaveCaliResult;
