#pragma once

#include "app/command_line.h"

// sfwaybill-cli's run of one of `commands` in the application made for it,
// every failure told on standard error; the exit status.
int cliMain(const CommandLine::CommandSet& commands);
