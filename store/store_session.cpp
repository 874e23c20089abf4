#include "store/store_session.h"

#include "store/connection_recipe.h"
#include "store/data_folder.h"

#include <QDir>

StoreSession::StoreSession(const QString& folder, const std::optional<ServerAddress>& server)
    : m_folder(folder.isEmpty() ? QString() : QDir(folder).absolutePath()), m_server(server)
{
}

QString StoreSession::databasePath() const
{
    const QDir folder = m_folder.isEmpty() ? QDir::current() : QDir(m_folder);
    return folder.absoluteFilePath(ConnectionRecipe::fileName);
}

QString StoreSession::storeName() const
{
    return m_server ? m_server->display() : databasePath();
}

QString StoreSession::missingDatabaseAdvice() const
{
    return m_server ? QString() : DataFolder::missingDatabaseAdvice(databasePath());
}
