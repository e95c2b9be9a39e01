#include "ui/FilesListModel.h"

#include <QApplication>
#include <QBrush>
#include <QPalette>
#include <QStyle>

namespace corvane::ui {

namespace {

enum Column { kFile, kSize, kInstallTo, kIfExists, kUninstall, kColumnCount };

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

FilesListModel::FilesListModel(std::vector<model::FileEntry>& rows, QObject* parent)
    : QAbstractTableModel(parent), m_rows(rows) {}

int FilesListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FilesListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant FilesListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= m_rows.size()) return {};
    const model::FileEntry& row = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case kFile:
                    return qs(row.source);
                case kSize:
                    return row.sourceMissing ? tr("missing") : qs(row.size);
                case kInstallTo:
                    return qs(row.installTo);
                case kIfExists:
                    return qs(row.ifExists);
                case kUninstall:
                    return qs(row.uninstall);
                default:
                    return {};
            }
        case Qt::DecorationRole:
            if (row.sourceMissing && index.column() == kFile)
                return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
            return {};
        case Qt::ForegroundRole:
            if (row.sourceMissing) return QBrush(Qt::red);
            return {};
        case Qt::ToolTipRole:
            if (row.sourceMissing) return tr("File not found: %1").arg(qs(row.source));
            return {};
        default:
            return {};
    }
}

QVariant FilesListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case kFile:
            return tr("File");
        case kSize:
            return tr("Size");
        case kInstallTo:
            return tr("Install to");
        case kIfExists:
            return tr("If Exists");
        case kUninstall:
            return tr("Uninstall");
        default:
            return {};
    }
}

void FilesListModel::append(std::vector<model::FileEntry> added) {
    if (added.empty()) return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    m_rows.insert(m_rows.end(), std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
    endInsertRows();
}

void FilesListModel::replace(std::size_t row, model::FileEntry entry) {
    m_rows[row] = std::move(entry);
    emit dataChanged(index(static_cast<int>(row), 0), index(static_cast<int>(row), kColumnCount - 1));
}

void FilesListModel::remove(const std::vector<std::size_t>& rows) {
    // From the end, one contiguous run at a time, so the positions still to go stay valid.
    std::size_t i = rows.size();
    while (i > 0) {
        std::size_t last = rows[--i];
        std::size_t first = last;
        while (i > 0 && rows[i - 1] + 1 == first)
            first = rows[--i];
        beginRemoveRows({}, static_cast<int>(first), static_cast<int>(last));
        m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(first),
                     m_rows.begin() + static_cast<std::ptrdiff_t>(last) + 1);
        endRemoveRows();
    }
}

void FilesListModel::reload() {
    beginResetModel();
    endResetModel();
}

void FilesListModel::rowsChanged(const std::vector<std::size_t>& rows) {
    for (std::size_t row : rows)
        emit dataChanged(index(static_cast<int>(row), 0), index(static_cast<int>(row), kColumnCount - 1));
}

}  // namespace corvane::ui
