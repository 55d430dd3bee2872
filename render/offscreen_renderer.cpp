#include "render/offscreen_renderer.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <utility>

#include "render/gl_setup.h"

namespace {

// Framebuffer-object entry points, which the GL 1.1 headers do not declare.
constexpr GLenum framebuffer_target = 0x8D40;     // GL_FRAMEBUFFER
constexpr GLenum renderbuffer_target = 0x8D41;    // GL_RENDERBUFFER
constexpr GLenum colour_attachment0 = 0x8CE0;     // GL_COLOR_ATTACHMENT0
constexpr GLenum depth_attachment = 0x8D00;       // GL_DEPTH_ATTACHMENT
constexpr GLenum framebuffer_complete = 0x8CD5;   // GL_FRAMEBUFFER_COMPLETE
constexpr GLenum rgba8 = 0x8058;                  // GL_RGBA8
constexpr GLenum depth_component16 = 0x81A5;      // GL_DEPTH_COMPONENT16
constexpr GLenum max_renderbuffer_size = 0x84E8;  // GL_MAX_RENDERBUFFER_SIZE
constexpr GLenum read_framebuffer = 0x8CA8;       // GL_READ_FRAMEBUFFER
constexpr GLenum draw_framebuffer = 0x8CA9;       // GL_DRAW_FRAMEBUFFER
constexpr GLenum max_samples = 0x8D57;            // GL_MAX_SAMPLES

// Samples per pixel of the antialiased pictures, and the largest picture
// (in pixels) drawn with them: beyond it their buffers would take more than
// some 130 MB, and the picture is drawn without antialiasing.
constexpr GLint wanted_samples = 4;
constexpr long long largest_antialiased = 2048LL * 2048LL;

using GenNames = void (*)(GLsizei, GLuint*);
using DeleteNames = void (*)(GLsizei, const GLuint*);
using BindName = void (*)(GLenum, GLuint);
using RenderbufferStorage = void (*)(GLenum, GLenum, GLsizei, GLsizei);
using FramebufferRenderbuffer = void (*)(GLenum, GLenum, GLenum, GLuint);
using CheckFramebufferStatus = GLenum (*)(GLenum);
using RenderbufferStorageMultisample = void (*)(GLenum, GLsizei, GLenum, GLsizei, GLsizei);
using BlitFramebuffer = void (*)(GLint, GLint, GLint, GLint, GLint, GLint, GLint, GLint, GLbitfield,
                                 GLenum);

bool has_word(const char* list, const char* word) {
    if (list == nullptr) {
        return false;
    }
    const std::size_t length = std::strlen(word);
    for (const char* p = list; (p = std::strstr(p, word)) != nullptr; p += length) {
        const bool starts = p == list || p[-1] == ' ';
        const bool ends = p[length] == '\0' || p[length] == ' ';
        if (starts && ends) {
            return true;
        }
    }
    return false;
}

}  // namespace

struct OffscreenRenderer::Context {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    // The framebuffer read back, and, for an antialiased picture, the
    // multisampled one drawn into and resolved into it.
    GLuint framebuffer = 0;
    GLuint colour_buffer = 0;
    GLuint depth_buffer = 0;
    GLuint multisampled = 0;
    GLuint multisampled_colour = 0;
    GLuint multisampled_depth = 0;
    int width = 0;
    int height = 0;
    GLint max_size = 0;
    GLint samples = 0;  // 0: no antialiasing

    GenNames gen_framebuffers = nullptr;
    DeleteNames delete_framebuffers = nullptr;
    BindName bind_framebuffer = nullptr;
    GenNames gen_renderbuffers = nullptr;
    DeleteNames delete_renderbuffers = nullptr;
    BindName bind_renderbuffer = nullptr;
    RenderbufferStorage renderbuffer_storage = nullptr;
    FramebufferRenderbuffer framebuffer_renderbuffer = nullptr;
    CheckFramebufferStatus check_framebuffer_status = nullptr;
    RenderbufferStorageMultisample renderbuffer_storage_multisample = nullptr;
    BlitFramebuffer blit_framebuffer = nullptr;

    bool make_current() const {
        return eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) == EGL_TRUE;
    }

    // Resolves the framebuffer functions under the core names, or under the
    // EXT names on a context that only has the extension.
    bool load_framebuffer_functions() {
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        int major = 0;
        if (version != nullptr) {
            std::sscanf(version, "%d", &major);
        }
        const char* suffix = "";
        if (major < 3 && !has_word(extensions, "GL_ARB_framebuffer_object")) {
            if (!has_word(extensions, "GL_EXT_framebuffer_object")) {
                return false;
            }
            suffix = "EXT";
        }
        const auto load = [suffix](const char* name) {
            const std::string full = std::string(name) + suffix;
            return eglGetProcAddress(full.c_str());
        };
        gen_framebuffers = reinterpret_cast<GenNames>(load("glGenFramebuffers"));
        delete_framebuffers = reinterpret_cast<DeleteNames>(load("glDeleteFramebuffers"));
        bind_framebuffer = reinterpret_cast<BindName>(load("glBindFramebuffer"));
        gen_renderbuffers = reinterpret_cast<GenNames>(load("glGenRenderbuffers"));
        delete_renderbuffers = reinterpret_cast<DeleteNames>(load("glDeleteRenderbuffers"));
        bind_renderbuffer = reinterpret_cast<BindName>(load("glBindRenderbuffer"));
        renderbuffer_storage = reinterpret_cast<RenderbufferStorage>(load("glRenderbufferStorage"));
        framebuffer_renderbuffer =
            reinterpret_cast<FramebufferRenderbuffer>(load("glFramebufferRenderbuffer"));
        check_framebuffer_status =
            reinterpret_cast<CheckFramebufferStatus>(load("glCheckFramebufferStatus"));
        // Antialiasing needs multisampled renderbuffers and the blit that
        // resolves them; without them pictures are drawn without it.
        if (major >= 3 || has_word(extensions, "GL_ARB_framebuffer_object") ||
            (has_word(extensions, "GL_EXT_framebuffer_multisample") &&
             has_word(extensions, "GL_EXT_framebuffer_blit"))) {
            renderbuffer_storage_multisample = reinterpret_cast<RenderbufferStorageMultisample>(
                load("glRenderbufferStorageMultisample"));
            blit_framebuffer = reinterpret_cast<BlitFramebuffer>(load("glBlitFramebuffer"));
        }
        if (renderbuffer_storage_multisample != nullptr && blit_framebuffer != nullptr) {
            glGetIntegerv(max_samples, &samples);
            samples = samples >= 2 ? std::min(samples, wanted_samples) : 0;
        }
        return gen_framebuffers && delete_framebuffers && bind_framebuffer && gen_renderbuffers &&
               delete_renderbuffers && bind_renderbuffer && renderbuffer_storage &&
               framebuffer_renderbuffer && check_framebuffer_status;
    }

    void release_framebuffer() {
        width = height = 0;
        if (bind_framebuffer == nullptr) {
            return;  // the functions were never found: nothing was made
        }
        bind_framebuffer(framebuffer_target, 0);
        for (GLuint* name : {&framebuffer, &multisampled}) {
            if (*name != 0) {
                delete_framebuffers(1, name);
            }
            *name = 0;
        }
        for (GLuint* name :
             {&colour_buffer, &depth_buffer, &multisampled_colour, &multisampled_depth}) {
            if (*name != 0) {
                delete_renderbuffers(1, name);
            }
            *name = 0;
        }
    }

    // A complete framebuffer of colour and depth renderbuffers of the given
    // size and samples (0: a plain one) in `fb`, `colour` and `depth`; none
    // left behind when it cannot be made.
    bool make_framebuffer(int w, int h, GLint sample_count, GLuint& fb, GLuint& colour,
                          GLuint& depth) {
        gen_framebuffers(1, &fb);
        gen_renderbuffers(1, &colour);
        gen_renderbuffers(1, &depth);
        const auto storage = [&](GLuint buffer, GLenum format) {
            bind_renderbuffer(renderbuffer_target, buffer);
            if (sample_count > 0) {
                renderbuffer_storage_multisample(renderbuffer_target, sample_count, format, w, h);
            } else {
                renderbuffer_storage(renderbuffer_target, format, w, h);
            }
        };
        storage(colour, rgba8);
        // 16 bits of depth, as the window has: a quarter of the samples'
        // memory less to clear.
        storage(depth, depth_component16);
        bind_renderbuffer(renderbuffer_target, 0);
        bind_framebuffer(framebuffer_target, fb);
        framebuffer_renderbuffer(framebuffer_target, colour_attachment0, renderbuffer_target,
                                 colour);
        framebuffer_renderbuffer(framebuffer_target, depth_attachment, renderbuffer_target, depth);
        if (check_framebuffer_status(framebuffer_target) == framebuffer_complete &&
            glGetError() == GL_NO_ERROR) {
            return true;
        }
        bind_framebuffer(framebuffer_target, 0);
        delete_framebuffers(1, &fb);
        delete_renderbuffers(1, &colour);
        delete_renderbuffers(1, &depth);
        fb = colour = depth = 0;
        return false;
    }

    // Makes a framebuffer of the given size the draw target, multisampled
    // when it can be, and the one read back the read target.
    bool resize(int w, int h) {
        if (w != width || h != height || framebuffer == 0) {
            release_framebuffer();
            while (glGetError() != GL_NO_ERROR) {
            }
            if (!make_framebuffer(w, h, 0, framebuffer, colour_buffer, depth_buffer)) {
                return false;
            }
            if (samples > 0 && static_cast<long long>(w) * h <= largest_antialiased) {
                make_framebuffer(w, h, samples, multisampled, multisampled_colour,
                                 multisampled_depth);
            }
            width = w;
            height = h;
        }
        bind_framebuffer(framebuffer_target, framebuffer);
        if (multisampled != 0) {
            bind_framebuffer(draw_framebuffer, multisampled);
        }
        return true;
    }

    // Resolves the multisampled picture's `buffers` (colour, depth) into
    // the framebuffer read back.
    void resolve(GLbitfield buffers) {
        if (multisampled == 0) {
            return;
        }
        bind_framebuffer(read_framebuffer, multisampled);
        bind_framebuffer(draw_framebuffer, framebuffer);
        blit_framebuffer(0, 0, width, height, 0, 0, width, height, buffers, GL_NEAREST);
        bind_framebuffer(read_framebuffer, framebuffer);
        bind_framebuffer(draw_framebuffer, multisampled);
    }

    ~Context() {
        if (context != EGL_NO_CONTEXT) {
            if (make_current()) {
                release_framebuffer();
            }
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
            eglDestroyContext(display, context);
        }
        // The display stays initialised: EGL hands every caller in the
        // process the same display and does not count initialisations, so
        // terminating it here could pull it from under another user. It
        // also keeps the driver loaded for the next renderer.
    }
};

namespace {

// The display of EGL's surfaceless platform, initialised.
Expected<EGLDisplay> surfaceless_display() {
    const char* client_extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!has_word(client_extensions, "EGL_MESA_platform_surfaceless") ||
        !has_word(client_extensions, "EGL_EXT_platform_base")) {
        return fail("EGL has no surfaceless platform");
    }
    const auto get_platform_display = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (get_platform_display == nullptr) {
        return fail("EGL has no eglGetPlatformDisplayEXT");
    }
    const EGLDisplay display =
        get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || eglInitialize(display, nullptr, nullptr) != EGL_TRUE) {
        return fail("cannot initialise the surfaceless EGL display");
    }
    return display;
}

// A desktop OpenGL context with the fixed functions (compatibility profile)
// on `display`, which needs no surface to be made current.
Expected<EGLContext> compatibility_context(EGLDisplay display) {
    const char* display_extensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!has_word(display_extensions, "EGL_KHR_surfaceless_context")) {
        return fail("EGL cannot make a context current without a surface");
    }
    if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        return fail("EGL has no desktop OpenGL");
    }
    // Any config that renders desktop OpenGL; the framebuffer object carries
    // the actual buffers, so the config's own are irrelevant.
    EGLConfig config = nullptr;
    const EGLint config_attributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLint config_count = 0;
    if (eglChooseConfig(display, config_attributes, &config, 1, &config_count) != EGL_TRUE ||
        config_count < 1) {
        if (!has_word(display_extensions, "EGL_KHR_no_config_context")) {
            return fail("EGL has no config for desktop OpenGL");
        }
        config = EGL_NO_CONFIG_KHR;
    }
    const EGLint context_attributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                         EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    const EGLContext context =
        eglCreateContext(display, config, EGL_NO_CONTEXT, context_attributes);
    if (context == EGL_NO_CONTEXT) {
        return fail("EGL cannot create a compatibility-profile OpenGL context");
    }
    return context;
}

}  // namespace

Expected<std::unique_ptr<OffscreenRenderer>> OffscreenRenderer::create() {
    Expected<EGLDisplay> display = surfaceless_display();
    if (!display) {
        return fail(display.error());
    }
    auto context = std::make_unique<Context>();
    context->display = *display;
    Expected<EGLContext> gl = compatibility_context(context->display);
    if (!gl) {
        return fail(gl.error());
    }
    context->context = *gl;
    if (!context->make_current()) {
        return fail("EGL cannot make the OpenGL context current");
    }
    if (!context->load_framebuffer_functions()) {
        return fail("the OpenGL context has no framebuffer objects");
    }
    glGetIntegerv(max_renderbuffer_size, &context->max_size);

    std::unique_ptr<OffscreenRenderer> renderer(new OffscreenRenderer(std::move(context)));
    init_gl_state();
    renderer->scene_ = std::make_unique<SceneRenderer>();
    return renderer;
}

OffscreenRenderer::OffscreenRenderer(std::unique_ptr<Context> context)
    : context_(std::move(context)) {}

OffscreenRenderer::~OffscreenRenderer() {
    // The quadrics go while the context is still current.
    if (context_->make_current()) {
        scene_.reset();
    }
}

int OffscreenRenderer::max_size() const {
    return context_->max_size;
}

bool OffscreenRenderer::bind_framebuffer(int width, int height) {
    if (width <= 0 || height <= 0 || width > context_->max_size || height > context_->max_size) {
        return false;
    }
    return context_->make_current() && context_->resize(width, height);
}

RgbaImage OffscreenRenderer::read_pixels() const {
    RgbaImage image;
    image.width = context_->width;
    image.height = context_->height;
    const std::size_t row_bytes = static_cast<std::size_t>(image.width) * 4;
    image.pixels.resize(row_bytes * static_cast<std::size_t>(image.height));
    if (image.pixels.empty()) {
        return image;
    }
    context_->resolve(GL_COLOR_BUFFER_BIT);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
    // GL's first row is the bottom one.
    std::vector<std::uint8_t> row(row_bytes);
    for (int top = 0, bottom = image.height - 1; top < bottom; ++top, --bottom) {
        std::uint8_t* a = &image.pixels[static_cast<std::size_t>(top) * row_bytes];
        std::uint8_t* b = &image.pixels[static_cast<std::size_t>(bottom) * row_bytes];
        std::memcpy(row.data(), a, row_bytes);
        std::memcpy(a, b, row_bytes);
        std::memcpy(b, row.data(), row_bytes);
    }
    return image;
}

std::vector<float> OffscreenRenderer::read_depth() const {
    std::vector<float> depth(static_cast<std::size_t>(context_->width) *
                             static_cast<std::size_t>(context_->height));
    if (depth.empty()) {
        return depth;
    }
    context_->resolve(GL_DEPTH_BUFFER_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, context_->width, context_->height, GL_DEPTH_COMPONENT, GL_FLOAT,
                 depth.data());
    const auto row = static_cast<std::ptrdiff_t>(context_->width);
    for (std::ptrdiff_t top = 0, bottom = context_->height - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(depth.begin() + top * row, depth.begin() + (top + 1) * row,
                         depth.begin() + bottom * row);
    }
    return depth;
}

std::optional<RgbaImage> OffscreenRenderer::render(const SceneInput& input, ViewSettings settings,
                                                   Camera& camera, int width, int height) {
    if (!bind_framebuffer(width, height)) {
        return std::nullopt;
    }
    settings.client_width = width;
    settings.client_height = height;
    render_frame(*scene_, input, settings, camera);
    return read_pixels();
}
