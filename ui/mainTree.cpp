// The channel browser of the main window: the tree and the list of the current
// log's channels, the word filters, the names a click writes into the two
// expression boxes, the double click that adds channels to the active window,
// and the message a refused expression gives.
#include "ui/main.h"

#include "core/expr/Expression.h"
#include "core/model/RoboCupFile.h"
#include "ui/FormControls.h"
#include "ui/MDIChild.h"
#include "ui/OpenLogs.h"
#include "ui/common.h"
#include "platform/qt/Dialogs.h"

#include <QListWidget>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextCursor>
#include <QToolButton>
#include <QTreeWidget>

namespace {

QVariant ChannelData(TimeChannel* channel) { return QVariant::fromValue(static_cast<void*>(channel)); }

// The memo's lines as the user wrote them: none for an empty memo, and the line
// break that ends the last line opens no further line.
std::vector<std::string> MemoLines(const QPlainTextEdit* memo)
{
    QString text = memo->toPlainText();
    std::vector<std::string> lines;
    if (text.isEmpty())
        return lines;
    if (text.endsWith('\n'))
        text.chop(1);
    for (const QString& line : text.split('\n'))
        lines.push_back(line.toStdString());
    return lines;
}

}  // namespace

TimeChannel* TMainForm::ChannelOf(const QTreeWidgetItem* node)
{
    return node != nullptr ? static_cast<TimeChannel*>(node->data(0, Qt::UserRole).value<void*>()) : nullptr;
}

TimeChannel* TMainForm::ChannelOf(const QListWidgetItem* item)
{
    return item != nullptr ? static_cast<TimeChannel*>(item->data(Qt::UserRole).value<void*>()) : nullptr;
}

void TMainForm::ConnectTreeHandlers()
{
    connect(TreeView, &QTreeWidget::itemClicked, this, [this] { TreeViewClick(); });
    connect(ListView, &QListWidget::itemClicked, this, [this] { ListViewClick(); });
    connect(TreeView, &QTreeWidget::itemDoubleClicked, this, [this] { TreeViewDblClick(); });
    connect(ListView, &QListWidget::itemDoubleClicked, this, [this] { ListViewDblClick(); });
    connect(BtnSelAllNone, &QPushButton::clicked, this, [this] { BtnSelAllNoneClick(); });
    connect(BtnClearFilter, &QToolButton::clicked, this, [this] { BtnClearFilterClick(); });
    connect(PanelHideLeft, &TClickStrip::clicked, this, [this] { PanelHideLeftClick(); });
    // A log becoming current fills the tree itself; when none is left the tree
    // and the list must not keep the channels of a log about to go.
    connect(Logs, &TOpenLogs::CurrentChanged, this, [this](RoboCupFileT* log) {
        if (log == nullptr)
            FillDataTree();
    });
}

void TMainForm::FillDataTree()
{
    TreeView->setUpdatesEnabled(false);
    ListView->setUpdatesEnabled(false);
    TreeView->clear();
    ListView->clear();
    const RoboCupFileT* current = Logs->Current();
    if (current != nullptr && current->stream) {
        const TimeStream& stream = *current->stream;
        for (TimeChannel* root : stream.GetRootChannels()) {
            auto* node = new QTreeWidgetItem(TreeView, {QString::fromStdString(root->GetName())});
            node->setData(0, Qt::UserRole, ChannelData(root));
            if (!root->IsLeaf())
                AddTreeChildren(node, root);
        }
        for (TimeChannel* leaf : stream.GetLeaves()) {
            auto* item = new QListWidgetItem(QString::fromStdString(leaf->GetFullName()), ListView);
            item->setData(Qt::UserRole, ChannelData(leaf));
        }
    }
    TreeView->setUpdatesEnabled(true);
    ListView->setUpdatesEnabled(true);
}

void TMainForm::AddTreeChildren(QTreeWidgetItem* parent, TimeChannel* channel)
{
    const auto* composite = dynamic_cast<const CompositeTimeChannel*>(channel);
    if (composite == nullptr)
        return;
    for (TimeChannel* child : composite->GetChildren()) {
        auto* node = new QTreeWidgetItem(parent, {QString::fromStdString(child->GetName())});
        node->setData(0, Qt::UserRole, ChannelData(child));
        if (!child->IsLeaf())
            AddTreeChildren(node, child);
    }
}

void TMainForm::InsertFieldName(QPlainTextEdit* memo, const QString& text)
{
    QTextCursor cursor = memo->textCursor();
    cursor.insertText(text);
    // The name stays selected: the next click replaces it.
    const int end = cursor.position();
    cursor.setPosition(end - static_cast<int>(text.size()));
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    memo->setTextCursor(cursor);
}

void TMainForm::InsertChannelName(const TimeChannel* channel)
{
    if (channel == nullptr)
        return;
    const QString name = QString::fromStdString(channel->GetFullName());
    InsertFieldName(MemoTimeRangeFunction, name);
    InsertFieldName(MemoMarksFunction, name);
}

void TMainForm::TreeViewClick()
{
    const QList<QTreeWidgetItem*> selected = TreeView->selectedItems();
    InsertChannelName(selected.isEmpty() ? nullptr : ChannelOf(selected.front()));
}

void TMainForm::ListViewClick() { InsertChannelName(ChannelOf(ListView->currentItem())); }

void TMainForm::TreeViewDblClick() { AddSelectedToActiveWindow(); }

void TMainForm::ListViewDblClick() { AddSelectedToActiveWindow(); }

void TMainForm::AddSelectedToActiveWindow()
{
    const auto* child = qobject_cast<const TMDIChild*>(MdiArea->currentSubWindow());
    if (child == nullptr) {
        platform::MessageBox(this, "No window selected", "Warning");
        return;
    }
    // The buttons of the two pages add the selected channels; their handlers
    // belong to the chart and the data windows.
    if (child->Kind == ChildKind::Chart && pcWindow->currentWidget() == tsChart)
        BtnAddTimeRange->click();
    else if (child->Kind == ChildKind::Data && pcWindow->currentWidget() == tsData)
        btnAddDataSeries->click();
    else
        platform::MessageBox(this, "No data enabled window selected", "Warning");
}

void TMainForm::BtnSelAllNoneClick()
{
    if (ListView->count() == 0)
        return;
    if (ListView->item(0)->isSelected())
        ListView->clearSelection();
    else
        ListView->selectAll();
}

void TMainForm::BtnClearFilterClick()
{
    MemoGoodFields->clear();
    MemoBadFields->clear();
}

void TMainForm::PanelHideLeftClick() { PanelLeft->setHidden(!PanelLeft->isHidden()); }

std::vector<std::string> TMainForm::GoodWords() const { return MemoLines(MemoGoodFields); }

std::vector<std::string> TMainForm::BadWords() const { return MemoLines(MemoBadFields); }

int TMainForm::SetupExpressionParser(LogExpression& parser, const QString& text)
{
    const std::string error = parser.Parse(text.toStdString());
    if (error.empty())
        return 0;
    platform::MessageBox(MainWindow(), QString::fromStdString(error), "Function evaluation error !");
    return -1;
}
