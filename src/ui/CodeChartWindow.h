#pragma once

#include "charset/CodeChart.h"

#include <QPixmap>
#include <QWidget>

#include <string>

namespace marlet {

/// The "ASCII Chart" window: the bytes of "ASCII.TBL" drawn through the code page table in
/// the sample face. What a run draws is kept in a picture, so that a window that was
/// covered shows it again; the next run draws over it without clearing.
class CodeChartWindow final : public QWidget {
    Q_OBJECT
public:
    /// A hidden window; the first run shows it.
    explicit CodeChartWindow(QWidget* parent = nullptr);

    /// The chart command: reads "ASCII.TBL" from the working folder and draws it with the
    /// cell for a screen of that size. Without a readable file it does nothing.
    void run(const CodePageTable& table, const std::string& face, QSize screen);

    /// The cell of the last run.
    ChartCell cell() const { return m_cell; }
    /// What the runs have drawn so far.
    const QPixmap& chart() const { return m_chart; }

protected:
    void paintEvent(QPaintEvent* event) override;
    /// Esc closes the chart.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void resizeChart(QSize size);

    ChartCell m_cell;
    QPixmap m_chart;
};

} // namespace marlet
