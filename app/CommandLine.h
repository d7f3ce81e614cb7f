#pragma once

#include <string>

// What the program's command line asks for. The only switch is "/exit" (or "-exit", in
// any case), with which a script or an installer ends the running instance; any other
// argument is left alone, as Windows programs do.
bool AsksToExit(const std::string& commandLine);
