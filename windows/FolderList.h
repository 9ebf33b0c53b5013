#pragma once

#include <QTreeWidget>

namespace merivox {

// The folder list: the folders from the volume root down to the open folder, then the open
// folder's subfolders, each level indented. A double click opens a folder; a single click only
// highlights it.
class FolderList final : public QTreeWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FolderList)

public:
    explicit FolderList(QWidget *parent = nullptr);

    // The open folder, absolute, with '/' separators.
    QString path() const { return m_path; }

    // Opens path and lists it. A folder that cannot be read leaves the list as it was and
    // returns false.
    bool setPath(const QString &path);

    // The folder that an item stands for.
    static QString folderOf(const QTreeWidgetItem *item);

signals:
    void pathChanged(const QString &path);

protected:
    // The levels show by their indentation alone, without expand marks.
    void drawBranches(QPainter *, const QRect &, const QModelIndex &) const override {}

private:
    QString m_path;
    QIcon m_openIcon;
    QIcon m_closedIcon;
};

} // namespace merivox
