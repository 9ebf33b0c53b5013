#pragma once

#include <QComboBox>

class QStorageInfo;

namespace merivox {

// The drive list: the drive letters on Windows, the mounted volumes elsewhere. Each entry keeps
// the root folder of its volume. Closed, it shows the drive letter or the mount point; open,
// the whole names.
class DriveList final : public QComboBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DriveList)

public:
    explicit DriveList(QWidget *parent = nullptr);

    // Chooses the volume that holds path, without announcing a change.
    void selectVolumeOf(const QString &path);

    // The folder to open for the entry at index: the program's working folder when it lies on
    // that volume, the volume's root otherwise.
    QString folderAt(int index) const;

    void showPopup() override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The platform's part (DriveList_posix.cpp / _win32.cpp): the entries the list starts with,
    // and the entry for a volume that it left out, which says whether it was added.
    void addDrives();
    bool addLeftOut(const QStorageInfo &volume);

    // An entry: its whole name, its volume's root folder, and what the closed list shows.
    void addVolume(const QString &name, const QString &root, const QString &shown);
};

} // namespace merivox
