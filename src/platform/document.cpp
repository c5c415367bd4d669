#include "platform/document.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

bool openDocument(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace platform
