#pragma once

#include "app/commands/command.h"
#include "waybill/print_command.h"

#include <memory>
#include <vector>

// Every command of sfwaybill-cli, in the order the usage lists them; a new
// command is a class of its own added here.
std::vector<std::unique_ptr<Command>> commandList(const PrinterOutput& printer);
