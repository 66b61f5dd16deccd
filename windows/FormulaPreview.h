// The preview of a formula channel in "Działania na przebiegach": the codes it would hold over the
// view, drawn as the view draws a channel (code 0 at the bottom, 255 at the top, the zero line across).
#pragma once

#include <QWidget>

#include <cstdint>
#include <vector>

namespace varnilog {

class FormulaPreview : public QWidget {
    Q_OBJECT
public:
    explicit FormulaPreview(QWidget* parent = nullptr);

    void setCodes(std::vector<std::uint8_t> codes);
    const std::vector<std::uint8_t>& codes() const { return codes_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<std::uint8_t> codes_;
};

} // namespace varnilog
