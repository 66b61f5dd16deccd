// StandardDialogs through QFileDialog and QColorDialog.
#pragma once

#include "windows/StandardDialogs.h"

namespace varnilog {

class QtStandardDialogs final : public StandardDialogs {
public:
    QString saveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                         const QString& initialName) override;
    QString existingDirectory(QWidget* parent, const QString& start) override;
    std::optional<QColor> color(QWidget* parent, const QColor& initial) override;
};

} // namespace varnilog
