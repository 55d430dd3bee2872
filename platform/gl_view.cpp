#include "platform/gl_view.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QPainter>
#include <QWheelEvent>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "shell/main_window_logic.h"
#include "render/gl_setup.h"
#include "render/scene.h"
#include "view/legend_box.h"
#include "view/overlay.h"

namespace {

// Fixed-function drawing needs desktop OpenGL, not ES, and not a core
// profile.
bool usable(const QOpenGLContext* context) {
    return context != nullptr && context->isValid() && !context->isOpenGLES() &&
           context->format().profile() != QSurfaceFormat::CoreProfile;
}

QColor to_qcolor(const Rgb& c) {
    return QColor::fromRgbF(c.r, c.g, c.b);
}

QRect to_qrect(const PixelRect& r) {
    return {r.left, r.top, r.width, r.height};
}

// The font of the labels and the legend: the widget's at the overlay's size.
QFont overlay_font(const QWidget& view) {
    QFont font = view.font();
    font.setPixelSize(overlay_text_pixels);
    return font;
}

// The legend box as layout_legend lays it out with the painter's font, the
// one the pictures of tarvessa-batch draw with FreeType.
void paint_legend(QPainter& painter, const std::vector<LegendLine>& legend) {
    const QFontMetrics metrics(painter.font());
    const LegendBox box = layout_legend(legend, text_metrics(painter.font()));
    if (box.rows.empty()) {
        return;
    }
    QColor background = to_qcolor(box.background);
    background.setAlpha(box.background_alpha);
    painter.fillRect(to_qrect(box.panel), background);
    for (const PixelRect& side : box.border_sides()) {
        painter.fillRect(to_qrect(side), to_qcolor(box.border));
    }
    for (const LegendRow& row : box.rows) {
        if (row.swatch) {
            painter.fillRect(to_qrect(row.swatch->square), to_qcolor(row.swatch->colour));
        }
        for (const LegendSwatch& column : row.ramp) {
            painter.fillRect(to_qrect(column.square), to_qcolor(column.colour));
        }
        painter.setPen(to_qcolor(row.colour));
        painter.drawText(row.text_left, row.text_top + metrics.ascent(),
                         QString::fromStdString(row.text));
    }
}

// The labels and the legend, as the pictures of tarvessa-batch show them:
// black labels with a white halo, and the legend box. Label positions come in
// device pixels.
void paint_overlay(QPainter& painter, const std::vector<VertexLabel>& labels,
                   const std::vector<LegendLine>& legend, qreal ratio) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font = painter.font();
    font.setPixelSize(overlay_text_pixels);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    for (const VertexLabel& label : labels) {
        const QString text = QString::fromStdString(label.text);
        const QPointF at(label.x / ratio, label.y / ratio + (metrics.ascent() - metrics.descent()) / 2.0);
        painter.setPen(Qt::white);
        for (const QPointF d : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)}) {
            painter.drawText(at + d, text);
        }
        painter.setPen(Qt::black);
        painter.drawText(at, text);
    }
    paint_legend(painter, legend);
}

// The empty view's lines, centred across `area`: the hint in bold at the
// middle, the others (the recent files) under it in grey, each cut in its
// middle when wider than the view.
void paint_empty_view(QPainter& painter, const std::vector<std::string>& lines, const QRect& area) {
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font = painter.font();
    font.setPixelSize(overlay_text_pixels + 3);
    const int line_height = QFontMetrics(font).height() + 4;
    int top = area.center().y() - line_height / 2;
    for (std::size_t i = 0; i < lines.size(); ++i, top += line_height) {
        font.setBold(i == 0);
        painter.setFont(font);
        painter.setPen(i == 0 ? QColor(30, 30, 30) : QColor(90, 90, 90));
        const QString text = QFontMetrics(font).elidedText(QString::fromStdString(lines[i]),
                                                           Qt::ElideMiddle, area.width() - 20);
        painter.drawText(QRect(area.left(), top, area.width(), line_height), Qt::AlignCenter, text);
    }
}

}  // namespace

TextMetrics text_metrics(const QFont& font) {
    const QFontMetrics metrics(font);
    return {metrics.height(), [metrics](const std::string& text) {
                return metrics.horizontalAdvance(QString::fromStdString(text));
            }};
}

TextMetrics GlView::overlay_text_metrics() const {
    return text_metrics(overlay_font(*this));
}

QSurfaceFormat view_surface_format() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setDepthBufferSize(16);
    // Antialiasing, where the context offers it.
    format.setSamples(4);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setSwapInterval(1);
    return format;
}

bool can_make_view_context() {
    QOpenGLContext context;
    context.setFormat(view_surface_format());
    if (!context.create() || !usable(&context)) {
        return false;
    }
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    const bool current = surface.isValid() && context.makeCurrent(&surface);
    if (current) {
        context.doneCurrent();
    }
    return current;
}

GlView::GlView(MainWindowLogic& logic, QWidget* parent) : QOpenGLWidget(parent), logic_(logic) {
    setFormat(view_surface_format());
    setFocusPolicy(Qt::StrongFocus);
    frame_timer_.setSingleShot(true);
    frame_timer_.setTimerType(Qt::PreciseTimer);
    connect(&frame_timer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    trim_timer_.setSingleShot(true);
    trim_timer_.setInterval(500);
    connect(&trim_timer_, &QTimer::timeout, this, [] { return_freed_memory(); });
}

void GlView::request_frame() {
    if (frame_timer_.isActive()) {
        return;
    }
    const qint64 since = since_frame_.isValid() ? since_frame_.elapsed() : frame_interval_ms;
    frame_timer_.start(static_cast<int>(std::max<qint64>(0, frame_interval_ms - since)));
}

GlView::~GlView() {
    // The quadrics belong to this widget's context.
    if (scene_) {
        makeCurrent();
        scene_.reset();
        doneCurrent();
    }
}

void GlView::initializeGL() {
    if (!usable(context())) {
        if (on_failure_) {
            // Not from inside the widget's own set-up.
            QTimer::singleShot(0, this, [this] { on_failure_(); });
        }
        return;
    }
    init_gl_state();
    scene_ = std::make_unique<SceneRenderer>();
}

void GlView::resizeGL(int width, int height) {
    // The viewport counts device pixels.
    const qreal ratio = devicePixelRatioF();
    logic_.on_size(static_cast<int>(std::lround(width * ratio)),
                   static_cast<int>(std::lround(height * ratio)));
}

void GlView::paintGL() {
    since_frame_.start();
    logic_.frame_input();
    if (scene_) {
        // QPainter leaves GL state of its own behind: set the scene's again.
        init_gl_state();
        const SceneInput input = logic_.scene_input();
        const ViewSettings& settings = logic_.settings();
        render_frame(*scene_, input, settings, logic_.camera());
        const std::vector<VertexLabel> labels = legible_labels(
            vertex_labels(input, settings, logic_.camera()), input, overlay_text_metrics());
        const std::vector<LegendLine> legend =
            settings.show_legend ? legend_lines(input, settings) : std::vector<LegendLine>{};
        if (!labels.empty() || !legend.empty()) {
            QPainter painter(this);
            paint_overlay(painter, labels, legend, devicePixelRatioF());
        }
        if (const std::vector<std::string> hint = logic_.empty_view_lines(); !hint.empty()) {
            QPainter painter(this);
            paint_empty_view(painter, hint, rect());
        }
    }
    ++frames_;
    if (logic_.needs_next_frame()) {
        request_frame();
    } else if (!trim_timer_.isActive()) {
        // The last frame for now: the memory that drawing it took (a software
        // rasteriser bins a whole frame of a large graph) goes back to the
        // system once the rasteriser has let go of it.
        trim_timer_.start();
    }
}

void GlView::wheelEvent(QWheelEvent* event) {
    // 120 units of angle are one notch of a common wheel.
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0.0) {
        logic_.on_wheel(notches);
    }
    event->accept();
}

namespace {

ScreenPoint device_point(const QMouseEvent& event, qreal ratio) {
    return {static_cast<int>(std::lround(event.position().x() * ratio)),
            static_cast<int>(std::lround(event.position().y() * ratio))};
}

}  // namespace

void GlView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        logic_.on_left_button(true, device_point(*event, devicePixelRatioF()));
    }
    event->accept();
}

void GlView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        logic_.on_left_button(false, device_point(*event, devicePixelRatioF()));
    }
    event->accept();
}

void GlView::mouseMoveEvent(QMouseEvent* event) {
    // Motion arrives only while a button is held (no mouse tracking).
    logic_.on_mouse_move(device_point(*event, devicePixelRatioF()));
    event->accept();
}
