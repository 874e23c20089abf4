#pragma once

#include "store/server_address.h"
#include "store/store_session.h"

#include <QString>
#include <sys/resource.h>

// What the bench programs share: the peak memory they report and the store
// named on their command line.
namespace BenchMeasures {

// The process's peak resident memory so far.
inline double peakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// A data folder, or a PostgreSQL URL.
inline StoreSession storeNamed(const QString& argument)
{
    return ServerAddress::looksLikeUrl(argument)
               ? StoreSession(QString(), ServerAddress::parse(argument))
               : StoreSession(argument);
}

} // namespace BenchMeasures
