#include "platform/gl_view.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "shell/main_window_logic.h"
#include "render/gl_setup.h"
#include "render/scene.h"

namespace {

// Fixed-function drawing needs desktop OpenGL, not ES, and not a core
// profile.
bool usable(const QOpenGLContext* context) {
    return context != nullptr && context->isValid() && !context->isOpenGLES() &&
           context->format().profile() != QSurfaceFormat::CoreProfile;
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
        render_frame(*scene_, logic_.scene_input(), logic_.settings(), logic_.camera());
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
