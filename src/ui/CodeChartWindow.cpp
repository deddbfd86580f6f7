#include "CodeChartWindow.h"

#include "config/FileBytes.h"
#include "platform/QtCanvas.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

namespace marlet {

namespace {

/// The chart font on a canvas: the cell's height and width in the sample face, any style
/// left out.
class CanvasChartSurface final : public ChartSurface {
public:
    CanvasChartSurface(QPainter& painter, const std::string& face, ChartCell cell)
        : m_canvas(cell.height), m_face(face), m_cell(cell) {
        m_canvas.attach(&painter);
    }
    ~CanvasChartSurface() override { m_canvas.attach(nullptr); }

    void selectFont(std::uint8_t charset) override {
        m_canvas.setFont(CanvasFont{m_face, m_cell.height, m_cell.width, {}, charset});
    }
    int textWidth(char16_t character) override {
        return m_canvas.textExtent(std::u16string_view(&character, 1)).width;
    }
    void drawText(int x, int y, char16_t character) override { m_canvas.textOut(x, y, character); }

private:
    QtCanvas m_canvas;
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
    CanvasChartSurface surface(painter, face, m_cell);
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
