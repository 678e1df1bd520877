// Video clips the tests and benchmarks make themselves with libavcodec and libavformat: pictures
// of a known pattern that carries the picture's number, and a known sound (a tone, or a ramp that
// carries the time), in the containers and codecs of the games' era.
//
// The pattern, on 16 x 16 blocks (codecs keep the colour of a whole block): the top row of blocks
// is the picture's number in binary (16 bits), bit 0 first, white for 1 and black for 0; every other block
// takes one of six colours by its position, so a picture turned, shifted or with its colours
// swapped does not match.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace qv::testing {

enum class ClipSound { kNone, kTone, kRamp };

struct ClipRecipe {
  const char* format = "avi";  // libavformat's name of the container
  AVCodecID video = AV_CODEC_ID_MPEG4;
  AVPixelFormat pixels = AV_PIX_FMT_YUV420P;
  int width = 192, height = 144;
  int fps = 25;
  int frames = 50;
  AVCodecID audio = AV_CODEC_ID_NONE;
  int rate = 22050, channels = 1;
  ClipSound sound = ClipSound::kNone;
  double toneHz = 440, amplitude = 0.5;
  // Noise and a moving gradient over the coloured blocks, so that every picture costs the codec
  // what filmed pictures do (benchmarks); the top row keeps the number readable.
  bool busy = false;
};

inline constexpr int kClipBlock = 16;

inline uint32_t ClipColour(int frame, int x, int y) {
  static const uint32_t kColours[6] = {0xFFC03030, 0xFF30A040, 0xFF3050C0, 0xFFD0C040, 0xFF808080, 0xFFA040B0};
  const int bx = x / kClipBlock, by = y / kClipBlock;
  if (by == 0) return bx < 16 && ((frame >> bx) & 1) ? 0xFFFFFFFF : 0xFF000000;
  return kColours[(bx + 2 * by) % 6];
}

// The sound of the clip at time t (seconds): a tone, or a ramp from -0.9 to 0.9 over the clip's
// length (its value tells the time).
inline double ClipSample(const ClipRecipe& s, double t) {
  if (s.sound == ClipSound::kTone) return s.amplitude * std::sin(2 * M_PI * s.toneHz * t);
  const double length = static_cast<double>(s.frames) / s.fps;
  return -0.9 + 1.8 * std::fmod(t, length) / length;
}

namespace clip_detail {

struct Encoder {
  AVCodecContext* ctx = nullptr;
  AVStream* stream = nullptr;
  ~Encoder() { avcodec_free_context(&ctx); }
};

inline bool Drain(AVFormatContext* oc, Encoder& e, AVFrame* frame) {
  if (avcodec_send_frame(e.ctx, frame) < 0) return false;
  AVPacket* pkt = av_packet_alloc();
  bool ok = true;
  for (;;) {
    const int r = avcodec_receive_packet(e.ctx, pkt);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) break;
    if (r < 0) {
      ok = false;
      break;
    }
    av_packet_rescale_ts(pkt, e.ctx->time_base, e.stream->time_base);
    pkt->stream_index = e.stream->index;
    if (av_interleaved_write_frame(oc, pkt) < 0) ok = false;
  }
  av_packet_free(&pkt);
  return ok;
}

}  // namespace clip_detail

// Writes the clip to `path`; false (with the reason in `why`) when it cannot.
inline bool WriteClip(const ClipRecipe& s, const std::string& path, std::string* why = nullptr) {
  auto fail = [&](const char* reason) {
    if (why) *why = reason;
    return false;
  };
  av_log_set_level(AV_LOG_FATAL);  // the muxers' advice on disc players is not for us; failures are answered
  AVFormatContext* oc = nullptr;
  if (avformat_alloc_output_context2(&oc, nullptr, s.format, path.c_str()) < 0 || !oc) return fail("container");
  struct Closer {
    AVFormatContext* oc;
    ~Closer() {
      if (oc->pb) avio_closep(&oc->pb);
      avformat_free_context(oc);
    }
  } closer{oc};

  clip_detail::Encoder video, audio;
  const AVCodec* vc = avcodec_find_encoder(s.video);
  if (!vc) return fail("no picture encoder");
  video.stream = avformat_new_stream(oc, nullptr);
  video.ctx = avcodec_alloc_context3(vc);
  video.ctx->width = s.width;
  video.ctx->height = s.height;
  video.ctx->time_base = AVRational{1, s.fps};
  video.ctx->framerate = AVRational{s.fps, 1};
  video.ctx->pix_fmt = s.pixels;
  video.ctx->gop_size = 12;
  video.ctx->flags |= AV_CODEC_FLAG_QSCALE;
  video.ctx->global_quality = FF_QP2LAMBDA * 2;
  video.ctx->bit_rate = 4000000;
  if (oc->oformat->flags & AVFMT_GLOBALHEADER) video.ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(video.ctx, vc, nullptr) < 0) return fail("picture encoder does not open");
  avcodec_parameters_from_context(video.stream->codecpar, video.ctx);
  video.stream->time_base = video.ctx->time_base;

  if (s.audio != AV_CODEC_ID_NONE) {
    const AVCodec* ac = avcodec_find_encoder(s.audio);
    if (!ac) return fail("no sound encoder");
    audio.stream = avformat_new_stream(oc, nullptr);
    audio.ctx = avcodec_alloc_context3(ac);
    audio.ctx->sample_fmt = AV_SAMPLE_FMT_S16;
    audio.ctx->sample_rate = s.rate;
    av_channel_layout_default(&audio.ctx->ch_layout, s.channels);
    audio.ctx->bit_rate = 192000;
    audio.ctx->time_base = AVRational{1, s.rate};
    if (oc->oformat->flags & AVFMT_GLOBALHEADER) audio.ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(audio.ctx, ac, nullptr) < 0) return fail("sound encoder does not open");
    avcodec_parameters_from_context(audio.stream->codecpar, audio.ctx);
    audio.stream->time_base = audio.ctx->time_base;
  }

  if (avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) return fail("file");
  if (avformat_write_header(oc, nullptr) < 0) return fail("header");

  AVFrame* picture = av_frame_alloc();
  picture->format = s.pixels;
  picture->width = s.width;
  picture->height = s.height;
  av_frame_get_buffer(picture, 0);
  std::vector<uint32_t> rgb(static_cast<size_t>(s.width) * static_cast<size_t>(s.height));
  SwsContext* sws = sws_getContext(s.width, s.height, AV_PIX_FMT_RGB32, s.width, s.height, s.pixels, SWS_POINT,
                                   nullptr, nullptr, nullptr);
  AVFrame* sound = av_frame_alloc();
  int64_t soundPts = 0;
  const int soundFrame = audio.ctx && audio.ctx->frame_size > 0 ? audio.ctx->frame_size : 1024;
  bool ok = sws != nullptr;
  for (int i = 0; ok && i <= s.frames; ++i) {
    // Sound up to the end of picture i first, so the two streams interleave as a player expects.
    const int64_t soundUntil = static_cast<int64_t>(i + 1) * s.rate / s.fps;
    // The sound ends with the pictures: a codec of fixed frames stops at the last whole one.
    const int64_t soundEnd = std::min<int64_t>(soundUntil, static_cast<int64_t>(s.frames) * s.rate / s.fps);
    while (ok && audio.ctx && soundPts < soundEnd) {
      const bool fixedFrames = audio.ctx->frame_size > 0;
      const int count = static_cast<int>(std::min<int64_t>(soundFrame, static_cast<int64_t>(s.frames) * s.rate / s.fps - soundPts));
      if (fixedFrames && count < soundFrame) break;
      av_frame_unref(sound);
      sound->format = AV_SAMPLE_FMT_S16;
      sound->sample_rate = s.rate;
      av_channel_layout_default(&sound->ch_layout, s.channels);
      sound->nb_samples = count;
      av_frame_get_buffer(sound, 0);
      auto* out = reinterpret_cast<int16_t*>(sound->data[0]);
      for (int n = 0; n < count; ++n) {
        const double v = ClipSample(s, static_cast<double>(soundPts + n) / s.rate);
        for (int c = 0; c < s.channels; ++c) out[n * s.channels + c] = static_cast<int16_t>(std::lround(v * 32767));
      }
      sound->pts = soundPts;
      soundPts += count;
      ok = clip_detail::Drain(oc, audio, sound);
    }
    if (i == s.frames) break;
    for (int y = 0; y < s.height; ++y)
      for (int x = 0; x < s.width; ++x) {
        uint32_t c = ClipColour(i, x, y);
        if (s.busy && y >= kClipBlock) {
          uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u ^ static_cast<uint32_t>(i) * 83492791u;
          h = (h ^ (h >> 13)) * 0x5bd1e995u;
          const int shift = static_cast<int>((h >> 24) % 48) - 24 + ((x + 4 * i) % 64) - 32;
          uint32_t out = c & 0xFF000000u;
          for (int ch = 0; ch < 24; ch += 8)
            out |= static_cast<uint32_t>(std::clamp(static_cast<int>((c >> ch) & 255) + shift, 0, 255)) << ch;
          c = out;
        }
        rgb[static_cast<size_t>(y) * static_cast<size_t>(s.width) + static_cast<size_t>(x)] = c;
      }
    av_frame_make_writable(picture);
    const uint8_t* src[4] = {reinterpret_cast<const uint8_t*>(rgb.data()), nullptr, nullptr, nullptr};
    const int srcStride[4] = {s.width * 4, 0, 0, 0};
    sws_scale(sws, src, srcStride, 0, s.height, picture->data, picture->linesize);
    picture->pts = i;
    ok = clip_detail::Drain(oc, video, picture);
  }
  if (ok) ok = clip_detail::Drain(oc, video, nullptr);
  if (ok && audio.ctx) ok = clip_detail::Drain(oc, audio, nullptr);
  if (ok) ok = av_write_trailer(oc) >= 0;
  sws_freeContext(sws);
  av_frame_free(&picture);
  av_frame_free(&sound);
  return ok || fail("encoding");
}

// The picture number a frame carries in its top row of blocks (read at the blocks' centres).
inline int ClipNumber(const uint32_t* pixels, int width, int bits) {
  int n = 0;
  for (int b = 0; b < bits && (b + 1) * kClipBlock <= width; ++b) {
    const uint32_t p = pixels[static_cast<size_t>(kClipBlock / 2) * static_cast<size_t>(width) + static_cast<size_t>(b * kClipBlock + kClipBlock / 2)];
    const int luma = static_cast<int>(((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255)) / 3;
    if (luma > 128) n |= 1 << b;
  }
  return n;
}

}  // namespace qv::testing
