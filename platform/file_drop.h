#pragma once

#include <QString>
#include <functional>
#include <optional>

class QDropEvent;
class QMimeData;

// The graph file that a drag carries: exactly one local file whose name ends
// in one of graph_file_suffixes (in any case), as a full path; none for
// anything else.
std::optional<QString> dropped_graph_file(const QMimeData* mime);

// What a window does with a graph file dropped on it: whether it would load
// one now, and the load itself.
struct GraphDropHandler {
    std::function<bool()> can_load;
    std::function<void(const QString& path)> load;

    // Accepts a drag (enter or move) that carries a graph file while a load
    // may start; ignores it otherwise, so the cursor shows it is refused.
    void drag(QDropEvent* event) const;
    // Loads the dropped graph file, if the drag carries one and a load may
    // start.
    void drop(QDropEvent* event) const;
};
