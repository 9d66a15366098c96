// FileListModel: the rows of a file list, held as plain data so a folder of 100,000 files is
// one vector and the view draws only the rows on screen.
#pragma once

#include "filelists/directory_entries.h"

#include <QAbstractListModel>
#include <vector>

namespace filelists {

class FileListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    // Replaces every row at once (the view forgets its selection).
    void setRows(std::vector<FileRow> rows);
    const std::vector<FileRow>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    // The row's text for display and for assistive technology.
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<FileRow> rows_;
};

} // namespace filelists
