#pragma once

#include "store/command_error.h"

// A backup or restore that cannot go on; nothing was replaced. The text is
// the engine's detail; the kind tells the window what to say first.
class BackupError : public CommandError {
public:
    enum class Kind { Other, NoFile, NotADatabase };

    explicit BackupError(const QString& text, Kind kind = Kind::Other)
        : CommandError(text), m_kind(kind)
    {
    }
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};
