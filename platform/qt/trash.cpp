#include "platform/qt/trash.h"

#include <QFile>
#include <QString>

namespace tackedit {

bool MoveToTrash(const std::string& path)
{
    return QFile::moveToTrash(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
}

} // namespace tackedit
