#include "app/commands/command_list.h"

#include "app/commands/assign_numbers.h"
#include "app/commands/backup.h"
#include "app/commands/copy.h"
#include "app/commands/export_book.h"
#include "app/commands/import_sheet.h"
#include "app/commands/init.h"
#include "app/commands/log.h"
#include "app/commands/parse_address.h"
#include "app/commands/print.h"
#include "app/commands/restore.h"
#include "app/commands/ship_export.h"

std::vector<std::unique_ptr<Command>> commandList(const PrinterOutput& printer)
{
    std::vector<std::unique_ptr<Command>> all;
    all.push_back(std::make_unique<Commands::Init>());
    all.push_back(std::make_unique<Commands::Backup>());
    all.push_back(std::make_unique<Commands::Restore>());
    all.push_back(std::make_unique<Commands::Copy>());
    all.push_back(std::make_unique<Commands::Print>(printer));
    all.push_back(std::make_unique<Commands::AssignNumbers>());
    all.push_back(std::make_unique<Commands::ShipExport>());
    all.push_back(std::make_unique<Commands::Import>());
    all.push_back(std::make_unique<Commands::Export>());
    all.push_back(std::make_unique<Commands::ParseAddress>());
    all.push_back(std::make_unique<Commands::Log>());
    return all;
}
