#pragma once

#include <QAbstractItemModel>

namespace lum {

class NavPanelItem;

// The tree of the navigation panel, one column, below an invisible root item that the main
// window owns. Appearance (icons, fonts, colours) follows each item's type and flags.
class NavPanelModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    explicit NavPanelModel(QObject* parent = nullptr);

    void setRoot(NavPanelItem* root) { m_root = root; }
    NavPanelItem* root() const { return m_root; }
    NavPanelItem* itemAt(const QModelIndex& index) const;
    QModelIndex indexOf(NavPanelItem* item) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Around structural changes made by the main window.
    void announceReset(bool begin);
    void announceLayoutChange() { emit layoutChanged(); }

public slots:
    void setItemSelected(lum::NavPanelItem* item, bool selected);
    void setItemActive(lum::NavPanelItem* item, bool active);

private:
    NavPanelItem* m_root = nullptr; // owned by the main window
};

} // namespace lum
