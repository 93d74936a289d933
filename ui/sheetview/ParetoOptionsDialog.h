#pragma once
// Analysis > Pareto options...: what the report of this workbook's analysis adds to the Pareto
// (a header row, a weight column and the key that ranks, the tail merged into "Other", A/B/C
// classes with the cut-off line, a table and chart per group). The defaults give the analysis's
// own report.

#include "core/analysis/ParetoOptions.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace sheetview {

class ParetoOptionsDialog : public QDialog {
    Q_OBJECT

public:
    explicit ParetoOptionsDialog(const analysis::ParetoOptions& options, QWidget* parent = nullptr);

    // The options as the dialog holds them; empty error when they are good.
    analysis::ParetoOptions options(QString& error) const;

    QCheckBox* header() const { return m_header; }
    QLineEdit* weight() const { return m_weight; }
    QComboBox* rankBy() const { return m_rankBy; }
    QComboBox* other() const { return m_other; }
    QSpinBox* top() const { return m_top; }
    QDoubleSpinBox* after() const { return m_after; }
    QLineEdit* classes() const { return m_classes; }
    QLineEdit* group() const { return m_group; }
    QLabel* message() const { return m_message; }

    void accept() override;

private:
    void set(const analysis::ParetoOptions& options);

    QCheckBox* m_header;
    QLineEdit* m_weight;
    QComboBox* m_rankBy;
    QComboBox* m_other;
    QSpinBox* m_top;
    QDoubleSpinBox* m_after;
    QLineEdit* m_classes;
    QLineEdit* m_group;
    QLabel* m_message;
};

} // namespace sheetview
