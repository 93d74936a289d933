#include "ui/sheetview/ParetoOptionsDialog.h"

#include "excel/CellRef.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace sheetview {

namespace {

enum Other { NoOther, TopN, AfterShare };

} // namespace

ParetoOptionsDialog::ParetoOptionsDialog(const analysis::ParetoOptions& options, QWidget* parent)
    : QDialog(parent)
    , m_header(new QCheckBox(QStringLiteral("The first cell of the range is its &header")))
    , m_weight(new QLineEdit)
    , m_rankBy(new QComboBox)
    , m_other(new QComboBox)
    , m_top(new QSpinBox)
    , m_after(new QDoubleSpinBox)
    , m_classes(new QLineEdit)
    , m_group(new QLineEdit)
    , m_message(new QLabel) {
    setWindowTitle(QStringLiteral("Pareto options"));
    m_weight->setPlaceholderText(QStringLiteral("none; a column such as D:D"));
    m_rankBy->addItems({QStringLiteral("Count"), QStringLiteral("Weight")});
    m_other->addItems({QStringLiteral("No Other row"), QStringLiteral("After the first"),
                       QStringLiteral("After a cumulative share of")});
    m_top->setRange(1, 32767);
    m_top->setValue(10);
    m_top->setSuffix(QStringLiteral(" categories"));
    m_after->setRange(0.1, 100);
    m_after->setDecimals(1);
    m_after->setValue(80);
    m_after->setSuffix(QStringLiteral(" %"));
    m_classes->setPlaceholderText(QStringLiteral("none; such as 80,95"));
    m_group->setPlaceholderText(QStringLiteral("none; a column such as B:B"));
    m_group->setToolTip(QStringLiteral("One table and chart per value of this column (a line, a "
                                       "shift, a machine), each ranked in itself"));
    m_message->setWordWrap(true);
    m_message->setStyleSheet(QStringLiteral("color: #C00000"));

    auto* other = new QHBoxLayout;
    other->addWidget(m_other);
    other->addWidget(m_top);
    other->addWidget(m_after);
    auto* form = new QFormLayout;
    form->addRow(m_header);
    form->addRow(QStringLiteral("&Weight column:"), m_weight);
    form->addRow(QStringLiteral("&Rank by:"), m_rankBy);
    // A row of several widgets: its label's mnemonic goes to the first of them.
    auto* otherLabel = new QLabel(QStringLiteral("&Other:"));
    otherLabel->setBuddy(m_other);
    form->addRow(otherLabel, other);
    form->addRow(QStringLiteral("&Classes A,B (%):"), m_classes);
    form->addRow(QStringLiteral("&Group column:"), m_group);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                         QDialogButtonBox::RestoreDefaults);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, this,
            [this] { set({}); });
    const auto showOther = [this] {
        m_top->setVisible(m_other->currentIndex() == TopN);
        m_after->setVisible(m_other->currentIndex() == AfterShare);
    };
    connect(m_other, &QComboBox::currentIndexChanged, this, showOther);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_message);
    layout->addWidget(buttons);
    set(options);
    showOther();
}

void ParetoOptionsDialog::set(const analysis::ParetoOptions& options) {
    m_header->setChecked(options.skipHeader);
    m_weight->setText(options.weightRange);
    m_rankBy->setCurrentIndex(options.rankBy == analysis::RankBy::Weight ? 1 : 0);
    m_other->setCurrentIndex(options.top > 0 ? TopN : options.otherAfter > 0 ? AfterShare : NoOther);
    if (options.top > 0)
        m_top->setValue(options.top);
    if (options.otherAfter > 0)
        m_after->setValue(options.otherAfter);
    QStringList limits;
    for (double limit : options.classes)
        limits << QString::number(limit);
    m_classes->setText(limits.join(QLatin1Char(',')));
    m_group->setText(options.groupRange);
    m_message->clear();
}

analysis::ParetoOptions ParetoOptionsDialog::options(QString& error) const {
    analysis::ParetoOptions o;
    error.clear();
    o.skipHeader = m_header->isChecked();
    // A column beside the analysed one: one column of one block.
    const auto oneColumn = [&](const QString& text, const QString& what, const QString& example) {
        const auto reference = excel::parseReference(text);
        if (error.isEmpty() && !text.isEmpty() &&
            (!reference || reference->areas.size() != 1 || reference->areas.front().columns() != 1))
            error = QStringLiteral("The %1 column is one column, such as %2, not \"%3\".")
                        .arg(what, example, text);
    };
    o.weightRange = m_weight->text().trimmed();
    oneColumn(o.weightRange, QStringLiteral("weight"), QStringLiteral("D:D or D2:D500"));
    o.groupRange = m_group->text().trimmed();
    oneColumn(o.groupRange, QStringLiteral("group"), QStringLiteral("B:B or B2:B500"));
    o.rankBy = m_rankBy->currentIndex() == 1 ? analysis::RankBy::Weight : analysis::RankBy::Count;
    if (error.isEmpty() && o.rankBy == analysis::RankBy::Weight && o.weightRange.isEmpty())
        error = QStringLiteral("Ranking by weight needs the weight column.");
    if (m_other->currentIndex() == TopN)
        o.top = m_top->value();
    else if (m_other->currentIndex() == AfterShare)
        o.otherAfter = m_after->value();
    const QString classes = m_classes->text().trimmed();
    if (!classes.isEmpty()) {
        const QString wrong = analysis::parseClasses(classes, o.classes);
        if (error.isEmpty() && !wrong.isEmpty())
            error = QStringLiteral("The classes are one or two percentages such as 80 or 80,95 "
                                   "(the second larger), not \"%1\".")
                        .arg(classes);
    }
    return o;
}

void ParetoOptionsDialog::accept() {
    QString error;
    options(error);
    if (!error.isEmpty()) {
        m_message->setText(error);
        return;
    }
    QDialog::accept();
}

} // namespace sheetview
