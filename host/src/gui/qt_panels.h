// The main window's small manager panels: the node editor (a material's node graph), the
// take manager and the simulation manager. Each is a dock that lists what the active
// document holds and refreshes with the other views.
#pragma once

#include <QDockWidget>

#include "brantic/nodes.h"
#include "bx3/element.h"

class QTreeWidget;

namespace bx3::gui {

// Lists the nodes of one material's graph in one node space, the selected node selected.
class NodeEditorPanel final : public QDockWidget {
 public:
  explicit NodeEditorPanel(QWidget* parent);
  // Shows `material`'s graph of `nodeSpace`, with `node` (when given) selected.
  void Edit(const Element& material, const brantic::NodePath* node, const brantic::Id& nodeSpace);
  void Refresh();
  QTreeWidget* List() const { return list_; }

 private:
  QTreeWidget* list_;
  ElementLink material_;
  brantic::Id nodeSpace_;
  brantic::String selected_;  // the selected node's path
};

// Lists the takes of the active document, the active one marked.
class TakeManagerPanel final : public QDockWidget {
 public:
  explicit TakeManagerPanel(QWidget* parent);
  void Refresh();
  QTreeWidget* List() const { return list_; }

 private:
  QTreeWidget* list_;
};

// Lists the simulations of the active document, each with the files it caches.
class SimulationManagerPanel final : public QDockWidget {
 public:
  explicit SimulationManagerPanel(QWidget* parent);
  void Refresh();
  QTreeWidget* List() const { return list_; }

 private:
  QTreeWidget* list_;
};

}  // namespace bx3::gui
