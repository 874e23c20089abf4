#pragma once

#include "store/command_error.h"

// A workbook that cannot be read or written: damaged, unsupported, too big.
// The text is for logs and the command line; the kind tells the import
// which reason to show the user.
class SheetError : public CommandError {
public:
    enum class Kind {
        Damaged,
        NotFound,
        NotAFile,
        Unopenable,
        TooLarge,
        NoSheet,
        Encrypted,
        Empty,
        MissingColumn, // the text is the user's explanation, in Chinese
    };

    explicit SheetError(const std::string& text, Kind kind = Kind::Damaged)
        : CommandError(text), m_kind(kind)
    {
    }
    explicit SheetError(const QString& text, Kind kind = Kind::Damaged)
        : CommandError(text), m_kind(kind)
    {
    }
    SheetError(const QString& text, const QString& detail, Kind kind)
        : CommandError(text, detail), m_kind(kind)
    {
    }
    explicit SheetError(const char* text, Kind kind = Kind::Damaged)
        : CommandError(text), m_kind(kind)
    {
    }
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// A sheet beyond one of the limits of the import (SheetLimits). The text,
// in UTF-8, is the reason in words for the user.
class SheetTooLarge : public SheetError {
public:
    explicit SheetTooLarge(const std::string& text) : SheetError(text, Kind::TooLarge) {}
};
