#include "platform/file_drop.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include "shell/load_graph.h"

std::optional<QString> dropped_graph_file(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls()) {
        return std::nullopt;
    }
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) {
        return std::nullopt;
    }
    const QString path = urls.first().toLocalFile();
    for (const char* suffix : graph_file_suffixes) {
        if (path.endsWith(QString::fromUtf8(suffix), Qt::CaseInsensitive)) {
            return QFileInfo(path).absoluteFilePath();
        }
    }
    return std::nullopt;
}

void GraphDropHandler::drag(QDropEvent* event) const {
    if (dropped_graph_file(event->mimeData()) && can_load && can_load()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void GraphDropHandler::drop(QDropEvent* event) const {
    const std::optional<QString> path = dropped_graph_file(event->mimeData());
    if (!path || !can_load || !can_load()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    load(*path);
}
