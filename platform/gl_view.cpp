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

// The labels and the legend, as the pictures of tarvessa-batch show them:
// black labels with a white halo, and the legend in a white box with a grey
// border in the top-left corner. Positions come in device pixels.
void paint_overlay(QPainter& painter, const std::vector<VertexLabel>& labels,
                   const std::vector<LegendLine>& legend, qreal ratio) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font = painter.font();
    font.setPixelSize(12);
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
    if (legend.empty()) {
        return;
    }
    const int row = metrics.height() + 4;
    const int swatch = metrics.ascent();
    int width = 0;
    for (const LegendLine& line : legend) {
        width = std::max(width, metrics.horizontalAdvance(QString::fromStdString(line.text)));
    }
    const QRect box(10, 10, width + swatch + 24, static_cast<int>(legend.size()) * row + 10);
    painter.setPen(QColor(128, 128, 128));
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawRect(box);
    int y = box.top() + 5;
    for (const LegendLine& line : legend) {
        if (line.swatch) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(to_qcolor(*line.swatch));
            painter.drawRect(box.left() + 8, y + (row - swatch) / 2, swatch, swatch);
        }
        painter.setPen(line.warning ? QColor(160, 0, 0) : Qt::black);
        painter.drawText(box.left() + 14 + swatch, y + (row + metrics.ascent() - metrics.descent()) / 2,
                         QString::fromStdString(line.text));
        y += row;
    }
}

}  // namespace

QSurfaceFormat view_surface_format() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setDepthBufferSize(16);
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
        const std::vector<VertexLabel> labels = vertex_labels(input, settings, logic_.camera());
        const std::vector<LegendLine> legend =
            settings.show_legend ? legend_lines(input, settings) : std::vector<LegendLine>{};
        if (!labels.empty() || !legend.empty()) {
            QPainter painter(this);
            paint_overlay(painter, labels, legend, devicePixelRatioF());
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
