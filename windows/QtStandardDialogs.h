// StandardDialogs through QFileDialog, QColorDialog and QPrintPreviewDialog.
#pragma once

#include "windows/StandardDialogs.h"

namespace varnilog {

class QtStandardDialogs final : public StandardDialogs {
public:
    QString saveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                         const QString& initialName) override;
    QString openFileName(QWidget* parent, const QString& filter, const QString& folder) override;
    QString existingDirectory(QWidget* parent, const QString& start) override;
    std::optional<QColor> color(QWidget* parent, const QColor& initial) override;
    bool printPreview(QWidget* parent, QPrinter& printer,
                      const std::function<void(QPrinter&)>& paint) override;
};

} // namespace varnilog
