#include "gui/nettools/termmode_form.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/program/single_reader.h"
#include "gui/shell/job_runner.h"
#include "gui/shell/screen_banner.h"

namespace zep::gui {

namespace {

// Cell size and the places of the two hex digits, in twips as the display was laid out.
constexpr int cell_width_twips = 250;
constexpr int cell_height_twips = 275;
constexpr int hex_first_dy_twips = 25;
constexpr int hex_second_dx_twips = 100;
constexpr int hex_second_dy_twips = 100;
constexpr int character_points = 14;
constexpr int hex_points = 10;
constexpr int twips_per_inch = 1440;

}  // namespace

// The drawing surface: white, the grid drawn with QPainter, keys handed to the form.
class termmode_form::display_widget final : public QWidget {
  public:
    display_widget(termmode_form& form, QWidget* parent) : QWidget(parent), form_(form) {
        setObjectName(QStringLiteral("pop1"));
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(px(cell_width_twips * nettools::terminal_columns, logicalDpiX()),
                     px(cell_height_twips * nettools::terminal_rows, logicalDpiY()));
    }

  protected:
    // Tab and the arrows are keys for the reader, not for moving the focus.
    bool event(QEvent* event) override {
        // Every key is the reader's: no shortcut or menu mnemonic takes it first.
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            keyPressEvent(static_cast<QKeyEvent*>(event));
            return true;
        }
        return QWidget::event(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
        if (!form_.key_down(event->key(), keypad, event->text())) QWidget::keyPressEvent(event);
    }
    void keyReleaseEvent(QKeyEvent* event) override {
        if (!form_.key_up(event->key())) QWidget::keyReleaseEvent(event);
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        QFont character = font();
        character.setPointSize(character_points);
        QFont hex = font();
        hex.setPointSize(hex_points);
        const int dx = logicalDpiX();
        const int dy = logicalDpiY();
        for (int row = 1; row <= nettools::terminal_rows; ++row) {
            for (int column = 1; column <= nettools::terminal_columns; ++column) {
                const auto& cell = form_.grid_.cell(row, column);
                if (!cell) continue;
                const int x = px((column - 1) * cell_width_twips, dx);
                const int y = px((row - 1) * cell_height_twips, dy);
                painter.setPen(cell->direction == nettools::byte_direction::sent ? Qt::black
                                                                                 : Qt::red);
                if (nettools::drawn_as_character(cell->byte)) {
                    painter.setFont(character);
                    painter.drawText(x, y + QFontMetrics(character).ascent(),
                                     QString(QLatin1Char(static_cast<char>(cell->byte))));
                    continue;
                }
                painter.setFont(hex);
                const int ascent = QFontMetrics(hex).ascent();
                const QString digits = nettools::hex_pair(cell->byte);
                painter.drawText(x, y + px(hex_first_dy_twips, dy) + ascent, digits.left(1));
                painter.drawText(x + px(hex_second_dx_twips, dx),
                                 y + px(hex_second_dy_twips, dy) + ascent, digits.right(1));
            }
        }
    }

  private:
    static int px(int twips, int dpi) { return twips * dpi / twips_per_inch; }

    termmode_form& form_;
};

termmode_form::termmode_form(screen_context& context)
    : QWidget(context.parent), context_(context), keys_(context.state.comm.protocol_address) {
    setObjectName(QStringLiteral("termmode"));
    auto* column = new QVBoxLayout(this);
    column->addWidget(new screen_banner(&context_.state, nullptr, this));
    auto* top = new QHBoxLayout;
    status_ = new QLabel(QStringLiteral("STATUS"), this);
    status_->setObjectName(QStringLiteral("terminal_status"));
    top->addWidget(status_, 1);
    auto* clear = new QPushButton(QStringLiteral("Clear Screen"), this);
    clear->setObjectName(QStringLiteral("clear_screen"));
    clear->setFocusPolicy(Qt::NoFocus);
    connect(clear, &QPushButton::clicked, this, &termmode_form::clear_screen);
    top->addWidget(clear);
    column->addLayout(top);
    display_ = new display_widget(*this, this);
    column->addWidget(display_, 0, Qt::AlignLeft | Qt::AlignTop);
    column->addStretch();

    connect(&link_, &nettools::terminal_link::status_changed, status_, &QLabel::setText);
    connect(&link_, &nettools::terminal_link::received, this, &termmode_form::show_received);
    // Every side-menu entry and the window's closing close all links, this one too. The
    // entry of this very screen opens it again.
    connect(&context_.jobs, &job_runner::links_closed, this, [this] {
        close_link();
        QTimer::singleShot(0, this, [this] {
            if (isVisible()) open_link();
        });
    });
}

void termmode_form::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    open_link();
}

void termmode_form::hideEvent(QHideEvent* event) {
    close_link();
    QWidget::hideEvent(event);
}

void termmode_form::open_link() {
    close_link();
    grid_.clear();
    keys_.set_protocol_address(context_.state.comm.protocol_address);
    keys_.reset();
    display_->update();
    link_.open(link::single_reader_endpoint(program::stored_single_reader(context_.state)));
    display_->setFocus();
}

void termmode_form::close_link() {
    link_.close();
}

void termmode_form::clear_screen() {
    grid_.clear();
    display_->update();
    display_->setFocus();
}

bool termmode_form::key_down(int key, bool keypad, const QString& text) {
    if (!link_.takes_keys()) return true;
    const nettools::key_down_outcome outcome = keys_.key_down(key, keypad);
    if (outcome.consumed) {
        if (outcome.send) send(*outcome.send);
        return true;
    }
    if (text.size() != 1 || text.front().unicode() > 0xff) return false;
    if (const auto byte = keys_.key_press(static_cast<unsigned char>(text.front().unicode()))) {
        send(*byte);
    }
    return true;
}

bool termmode_form::key_up(int key) {
    if (key != Qt::Key_Alt || !link_.takes_keys()) return false;
    if (const auto byte = keys_.alt_up()) send(*byte);
    return true;
}

void termmode_form::send(unsigned char byte) {
    grid_.put(byte, nettools::byte_direction::sent);
    link_.send(byte);
    display_->update();
}

void termmode_form::show_received(const QByteArray& bytes) {
    for (const char byte : bytes) {
        grid_.put(static_cast<unsigned char>(byte), nettools::byte_direction::received);
    }
    display_->update();
}

}  // namespace zep::gui
