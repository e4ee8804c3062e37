#include "gui/autorun/override_form.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/data/readers_table.h"

namespace zep::gui {

namespace {

constexpr auto title_text = "Override Active Readers";
constexpr auto clear_all_text = "Clear All";
constexpr int rows_per_column = 19;  // seven columns fit a common screen

}  // namespace

override_form::override_form(const std::vector<data::reader_row>& rows,
                             autorun::override_selection& selection, QWidget* parent)
    : QDialog(parent), selection_(selection) {
    setObjectName(QStringLiteral("override"));
    setWindowTitle(QString::fromLatin1(title_text));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(make_boxes(selection_.loadup(rows)), 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* clear_button =
        buttons->addButton(QString::fromLatin1(clear_all_text), QDialogButtonBox::ResetRole);
    clear_button->setObjectName(QStringLiteral("clear_all"));
    connect(clear_button, &QPushButton::clicked, this, &override_form::clear_all);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(sizeHint().expandedTo(QSize(900, 0)));
}

QWidget* override_form::make_boxes(const autorun::override_boxes& boxes) {
    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("override_boxes"));
    auto* grid = new QGridLayout(area);
    for (int k = 0; k < records::reader_slots; ++k) {
        const autorun::override_box& shown = boxes[static_cast<std::size_t>(k)];
        auto* box = new QCheckBox(shown.caption, area);
        box->setObjectName(QStringLiteral("reader_%1").arg(k, 3, 10, QLatin1Char('0')));
        box->setChecked(shown.checked);
        // Clicks only: clear_all unchecks the boxes itself and must not echo back.
        connect(box, &QCheckBox::clicked, this, [this, k](bool on) { selection_.set(k, on); });
        grid->addWidget(box, k % rows_per_column, k / rows_per_column);
        boxes_[static_cast<std::size_t>(k)] = box;
    }
    grid->setRowStretch(rows_per_column, 1);
    grid->setColumnStretch(records::reader_slots / rows_per_column + 1, 1);
    return area;
}

void override_form::clear_all() {
    for (QCheckBox* box : boxes_) box->setChecked(false);
    selection_.clear_all();
}

}  // namespace zep::gui
