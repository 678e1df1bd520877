// Pieces of the hand-written OpenGL floors that the drawing benchmarks measure the device against:
// a linked shader program and an off-screen frame to draw into, each released when it goes.
#pragma once

#include <epoxy/gl.h>

namespace qv::bench {

// A program linked from one vertex and one fragment shader source.
class FloorProgram {
 public:
  FloorProgram(const char* vertexSource, const char* fragmentSource) : id_(glCreateProgram()) {
    const GLuint vertex = Compile(GL_VERTEX_SHADER, vertexSource);
    const GLuint fragment = Compile(GL_FRAGMENT_SHADER, fragmentSource);
    glAttachShader(id_, vertex);
    glAttachShader(id_, fragment);
    glLinkProgram(id_);
    glDeleteShader(vertex);  // kept alive by the program until it goes
    glDeleteShader(fragment);
  }
  ~FloorProgram() { glDeleteProgram(id_); }
  FloorProgram(const FloorProgram&) = delete;
  FloorProgram& operator=(const FloorProgram&) = delete;

  GLuint id() const { return id_; }
  GLint uniform(const char* name) const { return glGetUniformLocation(id_, name); }

 private:
  static GLuint Compile(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
  }
  GLuint id_;
};

// A bound off-screen frame of 1024 x 768 (the size of the device's largest test window), with a
// depth buffer when asked, so the floor draws as much as the device does without showing it.
class FloorFrame {
 public:
  explicit FloorFrame(bool withDepth) {
    glGenFramebuffers(1, &fbo_);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glGenRenderbuffers(1, &colour_);
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, 1024, 768);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    if (withDepth) {
      glGenRenderbuffers(1, &depth_);
      glBindRenderbuffer(GL_RENDERBUFFER, depth_);
      glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, 1024, 768);
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    }
  }
  ~FloorFrame() {
    glDeleteFramebuffers(1, &fbo_);
    glDeleteRenderbuffers(1, &colour_);
    if (depth_) glDeleteRenderbuffers(1, &depth_);
  }
  FloorFrame(const FloorFrame&) = delete;
  FloorFrame& operator=(const FloorFrame&) = delete;

 private:
  GLuint fbo_ = 0, colour_ = 0, depth_ = 0;
};

}  // namespace qv::bench
