#pragma once

// The names by which other programs know a running Tidemark: the program's other starts
// and the installer package's actions, which end it before they change its files.

// The named mutex that the running instance holds (its single-instance guard).
constexpr char kSingleInstanceMutex[] = "TidemarkSoftware";
// The window property that marks the running instance's main window; a version from before
// "/exit" has no mark.
constexpr char kRunningInstanceMark[] = "Tidemark.RunningInstance";
