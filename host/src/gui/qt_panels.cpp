#include "qt_panels.h"

#include <QHeaderView>
#include <QTreeWidget>

#include "bx3/document.h"
#include "bx3/host.h"
#include "bx3/types.h"
#include "qt_text.h"

namespace bx3::gui {

namespace {

QTreeWidget* MakeList(QDockWidget* dock, const QStringList& headers) {
  auto* list = new QTreeWidget(dock);
  list->setHeaderLabels(headers);
  list->setRootIsDecorated(false);
  list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  list->header()->setStretchLastSection(true);
  dock->setWidget(list);
  return list;
}

// A panel lists what the document holds whenever it comes into view.
template <typename Panel>
void RefreshWhenShown(Panel* panel) {
  QObject::connect(panel, &QDockWidget::visibilityChanged, panel, [panel](bool visible) {
    if (visible) panel->Refresh();
  });
}

// What a node's value port holds, as text.
QString PortText(const brantic::Node& node) {
  const auto type = brantic::FindNodeType(node.type);
  const brantic::PortValue* value =
      node.FindPort(type && !type->valuePort.IsEmpty() ? type->valuePort : brantic::Id("file"));
  if (const auto* url = value ? std::get_if<brantic::Url>(value) : nullptr) {
    return ToQString(Filename::FromUrl(*url).GetString());
  }
  if (const auto* text = value ? std::get_if<brantic::String>(value) : nullptr) return ToQString(*text);
  return {};
}

}  // namespace

NodeEditorPanel::NodeEditorPanel(QWidget* parent) : QDockWidget("Node Editor", parent) {
  setObjectName("nodeEditor");
  list_ = MakeList(this, {"Node", "Type", "File"});
  RefreshWhenShown(this);
}

void NodeEditorPanel::Edit(const Element& material, const brantic::NodePath* node, const brantic::Id& nodeSpace) {
  material_.Set(&material);
  nodeSpace_ = nodeSpace;
  selected_ = node ? node->Text() : brantic::String();
  Refresh();
  show();
  raise();
}

void NodeEditorPanel::Refresh() {
  list_->clear();
  Element* material = material_.Resolve(GetActiveDocument());
  const brantic::NodeGraph* graph = material ? material->GetNodeGraph(nodeSpace_) : nullptr;
  setWindowTitle(material ? QString("Node Editor - %1 (%2)").arg(ToQString(material->GetName()), ToQString(nodeSpace_))
                          : QString("Node Editor"));
  if (!graph) return;
  for (const brantic::Node& node : graph->Nodes()) {
    auto* item = new QTreeWidgetItem(list_, {ToQString(node.path.Text()), ToQString(node.type), PortText(node)});
    if (node.path.Text() == selected_) {
      list_->setCurrentItem(item);
      item->setSelected(true);
    }
  }
}

TakeManagerPanel::TakeManagerPanel(QWidget* parent) : QDockWidget("Take Manager", parent) {
  setObjectName("takeManager");
  list_ = MakeList(this, {"Take", "Parent", "Overrides", ""});
  RefreshWhenShown(this);
}

void TakeManagerPanel::Refresh() {
  list_->clear();
  const Document* document = GetActiveDocument();
  if (!document) return;
  // The scene renders its main take: that one is active. Listed flat, with its parent: a
  // take hierarchy may be thousands of levels deep.
  const Take* active = document->GetMainTake();
  for (const Take* take : document->GetTakes()) {
    const Element* parent = take->GetParent();
    auto* item = new QTreeWidgetItem(
        list_, {ToQString(take->GetName()),
                parent && parent->GetType() == type::kTake ? ToQString(parent->GetName()) : QString(),
                QString::number(take->GetOverrides().size()), take == active ? "active" : ""});
    if (take == active) {
      QFont bold = item->font(0);
      bold.setBold(true);
      for (int column = 0; column < 4; ++column) item->setFont(column, bold);
      list_->setCurrentItem(item);
    }
  }
}

SimulationManagerPanel::SimulationManagerPanel(QWidget* parent) : QDockWidget("Simulation Manager", parent) {
  setObjectName("simulationManager");
  list_ = MakeList(this, {"Simulation", "Cache file"});
  list_->setRootIsDecorated(true);
  RefreshWhenShown(this);
}

void SimulationManagerPanel::Refresh() {
  list_->clear();
  const Document* document = GetActiveDocument();
  if (!document) return;
  document->ForEachElement([this](const Element& element) {
    if (!element.IsInstanceOf(type::kSimulation)) return;
    auto* item = new QTreeWidgetItem(list_, {ToQString(element.GetName())});
    // The simulation's own cache files and those of its node items.
    const auto addFiles = [item](const Element& owner) {
      for (const auto& [id, value] : owner.GetParameters()) {
        if (const auto* file = std::get_if<Filename>(&value); file && file->IsPopulated()) {
          new QTreeWidgetItem(item, {ToQString(owner.GetName()), ToQString(file->GetString())});
        }
      }
    };
    addFiles(element);
    for (const auto& child : element.GetChildren()) addFiles(*child);
    item->setExpanded(true);
  });
}

}  // namespace bx3::gui
