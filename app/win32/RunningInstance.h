#pragma once

#include "framework/Afx.h"

// The running instance as other starts of the program see it. Its main window carries a
// mark by which a refused second start finds it, to have it show its window, and a
// script's or an installer's "tidemark.exe /exit" finds it, to end it the orderly way.
namespace RunningInstance {

// Messages that another start of the program posts to the marked window; numbers that no
// other program uses, registered by name (0 where the system has no number to give).
UINT ShowRequest();
UINT ExitRequest();

void Mark(HWND window);
void Unmark(HWND window);

// Asks the running instance to show its window as a click on its icon does, and lets it
// come to the foreground; false when none runs.
bool AskToShow();

enum class ExitOutcome { Ended, NoneRunning, StillRunning };
// Asks every running instance to end as "exit" does, and waits until their processes
// have ended, at most `timeoutMs`.
ExitOutcome AskToExit(DWORD timeoutMs);

}  // namespace RunningInstance
