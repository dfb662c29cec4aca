#include "platform/Shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace lumarik::platform {

bool isWebAddress(const QUrl& url) {
    const QString scheme = url.scheme();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

bool openAddress(const QUrl& url) {
    const bool mail = url.isValid() && url.scheme() == QLatin1String("mailto");
    if (!isWebAddress(url) && !mail) {
        return false;
    }
    return QDesktopServices::openUrl(url);
}

} // namespace lumarik::platform
