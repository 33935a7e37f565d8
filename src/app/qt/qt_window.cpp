// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/qt_window.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QShortcut>
#include <QSysInfo>
#include <QUrl>

#include "app/model/delivery_hold.h"
#include "app/model/properties.h"
#include "app/model/window_placement.h"
#include "app/qt/popup_keys.h"
#include "app/qt/qt_kinds.h"
#include "app/qt/qt_progress.h"
#include "app/qt/virtual_keys.h"
#include "platform/paths.h"

namespace tessary::qt {

namespace {

// A title bar shows one line: the caption's line breaks do not belong in it.
QString titleText(const Value& caption) {
    QString t = toQString(asText(caption));
    t.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    t.replace(QLatin1Char('\r'), QLatin1Char(' '));
    t.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return t.trimmed();
}

class WindowSelfUnit : public QtUnit {
  public:
    using QtUnit::QtUnit;

  protected:
    void applyKind(int property, const Value& v) override {
        namespace w = prop::window;
        if (property == w::kCaption) widget()->setWindowTitle(titleText(v));
        if (property == w::kBackColour) applyColour(widget(), QPalette::Window, asInt(v), true);
    }
};

}  // namespace

namespace {
// File names are bytes, not text: a name that is not UTF-8 must still reach its file, so the path is taken
// byte for byte from the URL's percent-encoded form. Some programs name this machine as the URL's host.
std::string localPath(const QUrl& url) {
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0 &&
        host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) != 0)
        return toUtf8(url.toLocalFile());
    return platform::localPathOfFileUrl(
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
}
}  // namespace

std::string droppedFilesText(const std::vector<std::string>& paths) {
    if (paths.size() == 1) return paths.front();
    std::string text;
    for (const auto& p : paths) text += p + "\r\n";
    return text;
}

void WindowWidget::closeEvent(QCloseEvent* e) {
    if (owner_ && !owner_->mayClose()) {
        e->ignore();
        return;
    }
    e->accept();
    inClose_ = true;
    if (owner_) owner_->closeRequested();  // may destroy the owner, never this widget at once
    inClose_ = false;
}

void WindowWidget::keyPressEvent(QKeyEvent* e) {
    if (owner_) owner_->keyDown(e);
    QWidget::keyPressEvent(e);
}

void WindowWidget::dragEnterEvent(QDragEnterEvent* e) {
    if (owner_ && owner_->acceptedDrop(e->mimeData())) {
        e->acceptProposedAction();
    } else {
        e->ignore();
    }
}

void WindowWidget::dragMoveEvent(QDragMoveEvent* e) {
    if (owner_ && owner_->acceptedDrop(e->mimeData())) {
        e->acceptProposedAction();
    } else {
        e->ignore();
    }
}

void WindowWidget::dropEvent(QDropEvent* e) {
    const auto text = owner_ ? owner_->acceptedDrop(e->mimeData()) : std::nullopt;
    if (!text) {
        e->ignore();
        return;
    }
    e->acceptProposedAction();
    deliverDrop(*text);
}

// The handler may show message boxes; it runs once the drag-and-drop exchange has ended, and not before a
// handler that keeps the window thread in a pause or a long write has finished.
void WindowWidget::deliverDrop(std::string text) {
    QPointer<WindowWidget> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, t = std::move(text)] {
            if (!self || !self->owner_) return;
            if (DeliveryHold::active()) {
                DeliveryHold::whenReleased([self, t] {
                    if (self) self->deliverDrop(t);
                });
                return;
            }
            self->owner_->dropped(t);
        },
        Qt::QueuedConnection);
}

QtWindow::QtWindow(const WindowDef& def, Console& console, const UnitFactory& serialPortFactory)
    : def_(def), console_(console), sinkRef_(std::make_shared<EventSink*>(this)) {
    guardPopupKeys();
    widget_ = new WindowWidget(this);
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (def.minimizeBox) flags |= Qt::WindowMinimizeButtonHint;
    if (def.maximizeBox) flags |= Qt::WindowMaximizeButtonHint;
    widget_->setWindowFlags(flags);
    widget_->setFixedSize(def.clientWidth, def.clientHeight);
    widget_->setFocusPolicy(Qt::ClickFocus);

    selfDef_.name = def.name;
    selfDef_.kind = Kind::Window;
    selfDef_.events = def.events;
    self_ = std::make_unique<WindowSelfUnit>(selfDef_, widget_);
    for (const auto& [number, value] : def.properties) self_->write(number, value);
    for (std::size_t i = 0; i < def.shortcuts.size(); ++i) {
        auto* shortcut = new QShortcut(QKeySequence(toQString(def.shortcuts[i].keys)), widget_);
        shortcut->setContext(Qt::WindowShortcut);
        const int event = event::kShortcut + static_cast<int>(i);
        QObject::connect(shortcut, &QShortcut::activated, widget_, [sink = sinkRef_, event] {
            if (*sink && (*sink)->alive()) (*sink)->raise("", event, {});
        });
    }

    for (const auto& u : def.units) {
        if (u.kind == Kind::SerialPort) {
            auto port = serialPortFactory ? serialPortFactory(u, *this) : makeStoredUnit(u);
            if (!port) {
                complete_ = false;
                continue;
            }
            units_[u.name] = std::move(port);
        } else if (u.kind == Kind::DropTarget) {
            units_[u.name] = makeStoredUnit(u);
        } else {
            build(u);
        }
    }
    // Earlier units of the definition lie above later ones (buttons over the group box they sit on,
    // the rulers over the preview).
    for (const auto& u : def.units) {
        if (auto* q = dynamic_cast<QtUnit*>(find(u.name)); q && q->widget()) q->widget()->lower();
    }
    if (!def.besideMainClearOf.empty()) {
        placeBesideMainWindow();
    } else if (def.centred) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            widget_->move(area.center() - QPoint(def.width / 2, def.height / 2));
        }
    }
}

void QtWindow::placeBesideMainWindow() {
    auto* main = console_.hasMainWindow() ? dynamic_cast<QtWindow*>(&console_.main()) : nullptr;
    auto* clear = main ? dynamic_cast<QtUnit*>(main->find(def_.besideMainClearOf)) : nullptr;
    if (!main || !main->widget() || !clear || !clear->widget()) return;
    const QScreen* screen = main->widget()->screen();
    if (!screen) return;
    const auto rect = [](const QRect& r) { return ScreenRect{r.x(), r.y(), r.width(), r.height()}; };
    const QWidget* unit = clear->widget();
    const ScreenRect placed = placeBeside(rect(main->widget()->frameGeometry()),
                                          rect(QRect(unit->mapToGlobal(QPoint()), unit->size())), def_.width,
                                          def_.height, rect(screen->availableGeometry()));
    widget_->move(placed.left, placed.top);
}

QtWindow::~QtWindow() {
    exists_ = false;
    *sinkRef_ = nullptr;
    units_.clear();  // a port unit closes while the window is still whole
    self_.reset();
    if (widget_) {
        widget_->detach();
        widget_->hide();
        // The widget may be in the middle of one of its own events (its close, a click).
        widget_->deleteLater();
    }
}

QtUnit* QtWindow::build(const UnitDef& def) {
    if (auto it = units_.find(def.name); it != units_.end()) return dynamic_cast<QtUnit*>(it->second.get());
    QWidget* parent = widget_;
    if (const UnitDef* container = def_.find(def.container); container && container != &def) {
        if (QtUnit* c = build(*container)) parent = c->clientArea();
    }
    std::unique_ptr<QtUnit> unit = makeQtUnit(def, parent, sinkRef_);
    if (!unit) return nullptr;
    QtUnit* raw = unit.get();
    units_[def.name] = std::move(unit);
    applyDefinition(*raw, def);
    if (!def.contextMenu.empty() && raw->widget()) installContextMenu(raw->widget(), def);
    if (!def.toolTip.empty() && raw->widget()) raw->widget()->setToolTip(toQString(def.toolTip));
    return raw;
}

// A right-click anywhere on the unit pops the menu up; the chosen item raises its event on the unit.
void QtWindow::installContextMenu(QWidget* widget, const UnitDef& def) {
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(widget, &QWidget::customContextMenuRequested, widget,
                     [widget, sink = sinkRef_, &def](const QPoint& at) {
                         auto* menu = new QMenu(widget);
                         menu->setAttribute(Qt::WA_DeleteOnClose);
                         for (std::size_t i = 0; i < def.contextMenu.size(); ++i) {
                             const int event = event::kMenuItem + static_cast<int>(i);
                             QAction* action = menu->addAction(toQString(def.contextMenu[i].caption));
                             QObject::connect(action, &QAction::triggered, widget,
                                              [sink, name = def.name, event] {
                                                  if (*sink && (*sink)->alive())
                                                      (*sink)->raise(name, event, {});
                                              });
                         }
                         menu->popup(widget->mapToGlobal(at));
                     });
}

Unit* QtWindow::find(std::string_view unit) {
    const auto it = units_.find(unit);
    return it != units_.end() ? it->second.get() : nullptr;
}

void QtWindow::appendText(std::string_view unit, std::string_view text) {
    Unit& u = this->unit(unit);
    auto* edit = dynamic_cast<EditBoxUnit*>(&u);
    if (!edit || !exists())
        programError("cannot append text to \"" + std::string(unit) + "\" of " + def_.name);
    edit->appendText(text);
}

DrawSurface& QtWindow::drawPanel(std::string_view unit) {
    auto* panel = dynamic_cast<DrawPanelUnit*>(find(unit));
    if (!panel) programError("\"" + std::string(unit) + "\" is not a draw panel of " + def_.name);
    return *panel;
}

bool QtWindow::attachDropTarget(std::string_view unit) {
    Unit* target = find(unit);
    if (!exists() || !target || target->kind() != Kind::DropTarget || !dropTarget_.empty()) return false;
    dropTarget_ = std::string(unit);
    widget_->setAcceptDrops(true);
    for (auto& [name, u] : units_) {
        if (auto* edit = dynamic_cast<EditBoxUnit*>(u.get())) edit->refuseDrops();
    }
    return true;
}

void QtWindow::showProgress(std::string_view unit, const Progress& progress) {
    auto* host = dynamic_cast<QtUnit*>(find(unit));
    if (!host || !host->widget() || !exists()) return;
    auto it = progressBars_.find(unit);
    if (it == progressBars_.end() || !it->second) {
        if (progress.total <= 0 && progress.countdown.count() <= 0) return;
        it = progressBars_
                 .insert_or_assign(std::string(unit), QPointer<QWidget>(new ProgressOverlay(host->widget())))
                 .first;
    }
    if (progress.total > 0 || progress.countdown.count() > 0) showNotice(unit, {});
    static_cast<ProgressOverlay*>(it->second.data())->show(progress);
}

void QtWindow::showNotice(std::string_view unit, const Notice& notice) {
    auto* host = dynamic_cast<QtUnit*>(find(unit));
    if (!host || !host->widget() || !exists()) return;
    auto it = notices_.find(unit);
    if (it == notices_.end() || !it->second) {
        if (notice.text.empty()) return;
        auto* overlay = new NoticeOverlay(host->widget(), [this](const std::string& handler) {
            if (!handler.empty()) console_.run(handler, {});
        });
        it = notices_.insert_or_assign(std::string(unit), QPointer<QWidget>(overlay)).first;
    }
    static_cast<NoticeOverlay*>(it->second.data())->show(notice);
}

std::optional<std::string> QtWindow::acceptedDrop(const QMimeData* data) const {
    if (dropTarget_.empty() || !data) return std::nullopt;
    const auto it = units_.find(dropTarget_);
    if (it == units_.end()) return std::nullopt;
    const Unit& target = *it->second;
    namespace d = prop::droptarget;
    if (asBool(target.read(d::kAcceptFiles)) && data->hasUrls()) {
        std::vector<std::string> paths;
        for (const QUrl& url : data->urls()) {
            if (!url.isLocalFile()) {
                paths.clear();
                break;
            }
            paths.push_back(localPath(url));
        }
        if (!paths.empty()) return droppedFilesText(paths);
    }
    if (asBool(target.read(d::kAcceptUrls)) && data->hasUrls()) {
        std::vector<std::string> urls;
        for (const QUrl& url : data->urls()) urls.push_back(toUtf8(url.toString()));
        return droppedFilesText(urls);
    }
    if (asBool(target.read(d::kAcceptHtml)) && data->hasHtml()) return toUtf8(data->html());
    if (asBool(target.read(d::kAcceptText)) && data->hasText()) return toUtf8(data->text());
    return std::nullopt;
}

void QtWindow::dropped(std::string text) {
    EventArgs args;
    args.text = std::move(text);
    raise(dropTarget_, event::kFilesDropped, args);
}

void QtWindow::raise(const std::string& unit, int event, const EventArgs& args) {
    if (exists_) console_.dispatch(def_, unit, event, args);
}

void QtWindow::close() {
    if (widget_ && !widget_->inClose()) widget_->close();
}

bool QtWindow::mayClose() {
    return !(console_.hasMainWindow() && &console_.main() == this) || console_.mayCloseMainWindow();
}

void QtWindow::closeRequested() {
    raise("", event::kMayClose, {});
    if (modalLoop_) {
        modalLoop_->quit();
        return;
    }
    if (console_.hasMainWindow() && &console_.main() == this) {
        console_.destroyMainWindow();
    } else if (console_.window(def_.name) == this) {
        console_.closeWindow(*this);
    }
}

void QtWindow::keyDown(QKeyEvent* e) {
    raise("", event::kKeyDown,
          {virtualKeyCode(e->key(), e->modifiers()), modifierBits(e->modifiers()), 0, {}});
}

}  // namespace tessary::qt
