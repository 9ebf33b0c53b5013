#include "DriveList.h"

#include <QAbstractItemView>
#include <QDir>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace merivox {

namespace {

constexpr int kRootRole = Qt::UserRole;
constexpr int kShortRole = Qt::UserRole + 1; // what the closed list shows: the drive letter or the mount point

} // namespace

DriveList::DriveList(QWidget *parent) : QComboBox(parent)
{
    addDrives();
    connect(this, &QComboBox::currentIndexChanged, this, [this] { setToolTip(currentText()); });
    setToolTip(currentText());
}

void DriveList::addVolume(const QString &name, const QString &root, const QString &shown)
{
    addItem(name, root);
    setItemData(count() - 1, shown, kShortRole);
}

void DriveList::showPopup()
{
    // The open list is as wide as its longest entry, however narrow the closed list is.
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 2 * view()->frameWidth() +
                            view()->verticalScrollBar()->sizeHint().width());
    QComboBox::showPopup();
}

void DriveList::paintEvent(QPaintEvent *)
{
    // The closed list is narrow: it shows the mount point, shortened in the middle where it has
    // to be; the whole name is its tool tip and stands in the open list.
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const QString shown = currentData(kShortRole).toString();
    option.currentText =
        fontMetrics().elidedText(shown.isEmpty() ? currentText() : shown, Qt::ElideMiddle, field.width() - 2);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void DriveList::selectVolumeOf(const QString &path)
{
    const QSignalBlocker blocker(this);
    const QStorageInfo volume(path);
    int index = findData(volume.rootPath(), kRootRole);
    if (index < 0 && addLeftOut(volume)) {
        index = count() - 1;
    }
    setCurrentIndex(index);
    setToolTip(currentText());
}

QString DriveList::folderAt(int index) const
{
    const QString root = itemData(index, kRootRole).toString();
    if (root.isEmpty()) {
        return {};
    }
    const QString working = QDir::currentPath();
    if (QStorageInfo(working).rootPath() == root) {
        return working;
    }
    return root;
}

} // namespace merivox
