#include "CodeChartWindow.h"

#include "PicturePageOutput.h"
#include "config/FileBytes.h"
#include "platform/QtPageDevice.h"
#include "render/BoxRenderer.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

#include <memory>

namespace marlet {

namespace {

/// The chart on a page device over the chart's picture: text in a font of the chart cell in
/// the sample face, any style left out, and box-drawing figures drawn as a page prints them.
class DeviceChartSurface final : public ChartSurface {
public:
    DeviceChartSurface(QPainter& painter, const std::string& face, ChartCell cell)
        : m_device(std::make_unique<PicturePageOutput>(painter)), m_boxes(m_device), m_face(face),
          m_cell(cell) {
        m_device.beginDocument("ASCII Chart");
    }
    ~DeviceChartSurface() override { m_device.endDocument(); }

    void selectFont(std::uint8_t charset) override {
        m_device.setCanvasFont(CanvasFont{m_face, m_cell.height, m_cell.width, {}, charset});
    }
    int textWidth(char16_t character) override {
        return m_device.textExtent(std::u16string_view(&character, 1)).width;
    }
    void drawText(int x, int y, char16_t character) override { m_device.textOut(x, y, character); }
    void drawFigure(int x, int y, int width, int height, std::uint16_t figure) override {
        m_boxes.drawFigure(x, y, figure, static_cast<std::uint16_t>(width),
                           static_cast<std::uint16_t>(height));
    }

private:
    QtPageDevice m_device;
    BoxRenderer m_boxes;
    std::string m_face;
    ChartCell m_cell;
};

} // namespace

CodeChartWindow::CodeChartWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    // The caption is the same in every language.
    setWindowTitle(QStringLiteral("ASCII Chart"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CodeChartWindow::run(const CodePageTable& table, const std::string& face, QSize screen) {
    std::optional<std::string> bytes = readFileBytes("ASCII.TBL");
    if (!bytes)
        return;
    m_cell = ChartCell::forScreen(screen.width(), screen.height());

    // The cell sets the outer size; the frame and caption come out of it. The frame is
    // known once the window exists.
    show();
    QSize outer(m_cell.windowWidth(), m_cell.windowHeight());
    QMargins frame = windowHandle()->frameMargins();
    QSize inner(outer.width() - frame.left() - frame.right(),
                outer.height() - frame.top() - frame.bottom());
    setFixedSize(inner);
    resizeChart(inner);
    move((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2);
    raise();
    activateWindow();

    QPainter painter(&m_chart);
    DeviceChartSurface surface(painter, face, m_cell);
    drawCodeChart(*bytes, table, m_cell, surface);
    painter.end();
    update();
}

void CodeChartWindow::resizeChart(QSize size) {
    if (m_chart.size() == size)
        return;
    // A larger screen gives a larger window; what was drawn stays where it was.
    QPixmap chart(size);
    chart.fill(palette().color(QPalette::Button));
    if (!m_chart.isNull()) {
        QPainter painter(&chart);
        painter.drawPixmap(0, 0, m_chart);
    }
    m_chart = chart;
}

void CodeChartWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawPixmap(event->rect(), m_chart, event->rect());
}

void CodeChartWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

} // namespace marlet
