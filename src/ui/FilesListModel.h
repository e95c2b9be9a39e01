#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "model/Entries.h"

namespace corvane::ui {

// The Files list as the page's list view shows it: one row per FileEntry of the project, in
// list order, five columns. The rows stay in the project; whoever changes them tells this model,
// so the view keeps its selection and repaints only what changed (a list of 100,000 files is
// never rebuilt item by item).
class FilesListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FilesListModel(std::vector<model::FileEntry>& rows, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void append(std::vector<model::FileEntry> added);
    void replace(std::size_t row, model::FileEntry entry);
    // rows: ascending positions.
    void remove(const std::vector<std::size_t>& rows);
    // The rows changed in ways nobody described (New, Open, the uninstaller row).
    void reload();
    // Rows whose source went missing or came back since they were marked.
    void rowsChanged(const std::vector<std::size_t>& rows);

private:
    std::vector<model::FileEntry>& m_rows;
};

}  // namespace corvane::ui
