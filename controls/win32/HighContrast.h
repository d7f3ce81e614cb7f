#pragma once

#include "framework/Afx.h"

// Whether the user has turned high contrast on. In high contrast a control paints only in
// the system's colours: the user chose them to be able to read the screen at all.
bool IsHighContrastOn();

// How a control asks: the system in the program, a stand-in in a test (high contrast cannot
// be switched on everywhere a test runs).
using HighContrastQuery = bool (*)();
