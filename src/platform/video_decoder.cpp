// VideoDecoder over libavformat (the container), libavcodec (pictures and sound), libswscale
// (pictures to 32-bit colours) and libswresample (sound to the mixer's stereo floats), opened on
// the first video (platform/ffmpeg_library).
//
// Sections: the libraries' messages; pictures; Impl (the open file and its decoders); opening;
// decoding; converting; rewinding.

#include "platform/video_decoder.h"

#include "platform/ffmpeg_library.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace qv::platform {

namespace {

// The libraries' functions; only called once Open has found them.
const FfmpegLibrary& ff() { return *Ffmpeg(); }

// ---- the libraries' messages ----

// FFmpeg prints every damaged packet it skips on stderr; a game's video playing on is all the
// player needs to see, so only fatal messages get through.
void QuietLibraries() {
  static std::once_flag once;
  std::call_once(once, [] { ff().av_log_set_level(AV_LOG_FATAL); });
}

// A damaged stream makes a decoder refuse packet after packet; after this many refusals in a row
// without a picture or sound the file is taken as ended rather than read to its end.
constexpr int kMaxErrorsInARow = 64;

// Samples of one sound frame beyond this (about 20 s at 48 kHz) are taken as damaged data.
constexpr int kMaxSoundFrameSamples = 1 << 20;

double Seconds(int64_t ts, AVRational base) { return static_cast<double>(ts) * av_q2d(base); }

}  // namespace

// ---- pictures ----

VideoPicture::VideoPicture() = default;
VideoPicture::VideoPicture(VideoPicture&& other) noexcept : time(other.time), frame_(other.frame_) {
  other.frame_ = nullptr;
}
VideoPicture& VideoPicture::operator=(VideoPicture&& other) noexcept {
  if (this != &other) {
    if (frame_) ff().av_frame_free(&frame_);
    frame_ = other.frame_;
    other.frame_ = nullptr;
    time = other.time;
  }
  return *this;
}
VideoPicture::~VideoPicture() {
  if (frame_) ff().av_frame_free(&frame_);
}

// ---- Impl ----

struct VideoDecoder::Impl {
  AVFormatContext* format = nullptr;
  AVCodecContext* picture = nullptr;
  AVCodecContext* sound = nullptr;
  int pictureIndex = -1, soundIndex = -1;
  AVPacket* packet = nullptr;
  AVFrame* soundFrame = nullptr;
  SwsContext* scaler = nullptr;
  SwrContext* resampler = nullptr;
  // The resampler's input, to notice a change of format within the file.
  int resamplerRate = 0, resamplerFormat = -1, resamplerChannels = 0;
  bool monoSound = false;  // the resampler makes mono, doubled to stereo here
  std::vector<float> monoBuffer;
  int soundRate = 0;
  double start = 0;  // the file's start time in seconds
  double nextPictureTime = 0, nextSoundTime = 0;
  bool endOfFile = false, pictureDrained = false, soundDrained = false, resamplerDrained = false;
  int errorsInARow = 0;

  ~Impl() {
    ff().av_packet_free(&packet);
    ff().av_frame_free(&soundFrame);
    ff().sws_freeContext(scaler);
    ff().swr_free(&resampler);
    ff().avcodec_free_context(&picture);
    ff().avcodec_free_context(&sound);
    ff().avformat_close_input(&format);
  }

  bool ensureResampler(const AVFrame* f);
  // Converts `f` (nullptr: what the resampler still holds) and appends it to `out`; how many frames.
  int resample(const AVFrame* f, std::vector<float>& out);
};

VideoDecoder::VideoDecoder(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
VideoDecoder::~VideoDecoder() = default;

// ---- opening ----

namespace {

AVCodecContext* OpenCodec(AVStream* stream) {
  const AVCodec* codec = ff().avcodec_find_decoder(stream->codecpar->codec_id);
  if (!codec) return nullptr;
  AVCodecContext* c = ff().avcodec_alloc_context3(codec);
  if (!c) return nullptr;
  // One thread: a splash video is small, and frame threads would hold pictures back.
  c->thread_count = 1;
  c->max_pixels = static_cast<int64_t>(kMaxVideoSide) * kMaxVideoSide;
  c->pkt_timebase = stream->time_base;
  if (ff().avcodec_parameters_to_context(c, stream->codecpar) < 0 || ff().avcodec_open2(c, codec, nullptr) < 0) {
    ff().avcodec_free_context(&c);
    return nullptr;
  }
  return c;
}

}  // namespace

std::unique_ptr<VideoDecoder> VideoDecoder::Open(const std::string& hostPath, int soundRate) {
  if (!Ffmpeg()) return nullptr;  // FFmpeg is not installed: no video can be played
  QuietLibraries();
  auto impl = std::make_unique<Impl>();
  impl->soundRate = soundRate;
  if (ff().avformat_open_input(&impl->format, hostPath.c_str(), nullptr, nullptr) < 0) return nullptr;
  if (ff().avformat_find_stream_info(impl->format, nullptr) < 0) return nullptr;

  impl->pictureIndex = ff().av_find_best_stream(impl->format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (impl->pictureIndex < 0) return nullptr;
  AVStream* pictures = impl->format->streams[impl->pictureIndex];
  const int w = pictures->codecpar->width, h = pictures->codecpar->height;
  // The size is checked before anything of that size is allocated.
  if (w <= 0 || h <= 0 || w > kMaxVideoSide || h > kMaxVideoSide) return nullptr;
  impl->picture = OpenCodec(pictures);
  if (!impl->picture) return nullptr;

  impl->soundIndex = ff().av_find_best_stream(impl->format, AVMEDIA_TYPE_AUDIO, -1, impl->pictureIndex, nullptr, 0);
  if (impl->soundIndex >= 0 && soundRate > 0) {
    impl->sound = OpenCodec(impl->format->streams[impl->soundIndex]);
  }
  if (!impl->sound) impl->soundIndex = -1;  // a sound the libraries cannot decode: the video plays silent

  impl->packet = ff().av_packet_alloc();
  impl->soundFrame = ff().av_frame_alloc();
  if (!impl->packet || !impl->soundFrame) return nullptr;
  if (impl->format->start_time != AV_NOPTS_VALUE) impl->start = Seconds(impl->format->start_time, AV_TIME_BASE_Q);

  std::unique_ptr<VideoDecoder> d(new VideoDecoder(std::move(impl)));
  d->width_ = w;
  d->height_ = h;
  d->soundIndex_ = d->impl_->soundIndex;
  const AVRational rate = ff().av_guess_frame_rate(d->impl_->format, pictures, nullptr);
  if (rate.num > 0 && rate.den > 0) d->frameDuration_ = std::clamp(av_q2d(av_inv_q(rate)), 0.001, 10.0);
  d->impl_->nextPictureTime = 0;
  return d;
}

// ---- decoding ----

bool VideoDecoder::Impl::ensureResampler(const AVFrame* f) {
  const int channels = f->ch_layout.nb_channels;
  if (resampler && resamplerRate == f->sample_rate && resamplerFormat == f->format && resamplerChannels == channels)
    return true;
  ff().swr_free(&resampler);
  if (channels <= 0 || f->sample_rate <= 0) return false;
  AVChannelLayout in{};
  if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) ff().av_channel_layout_default(&in, channels);
  else if (ff().av_channel_layout_copy(&in, &f->ch_layout) < 0) return false;
  // Mono is doubled to both sides at full level (a mix down to stereo would lower it by 3 dB).
  monoSound = channels == 1;
  AVChannelLayout out{};
  ff().av_channel_layout_default(&out, monoSound ? 1 : 2);
  const int made = ff().swr_alloc_set_opts2(&resampler, &out, AV_SAMPLE_FMT_FLT, soundRate, &in,
                                       static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr);
  ff().av_channel_layout_uninit(&in);
  if (made < 0 || ff().swr_init(resampler) < 0) {
    ff().swr_free(&resampler);
    return false;
  }
  resamplerRate = f->sample_rate;
  resamplerFormat = f->format;
  resamplerChannels = channels;
  return true;
}

int VideoDecoder::Impl::resample(const AVFrame* f, std::vector<float>& out) {
  const int inSamples = f ? f->nb_samples : 0;
  const int room = ff().swr_get_out_samples(resampler, inSamples);
  if (room <= 0) return 0;
  const size_t channels = monoSound ? 1 : 2;
  float* target = nullptr;
  const size_t at = out.size();
  if (monoSound) {
    monoBuffer.resize(static_cast<size_t>(room));
    target = monoBuffer.data();
  } else {
    out.resize(at + channels * static_cast<size_t>(room));
    target = out.data() + at;
  }
  auto* dst = reinterpret_cast<uint8_t*>(target);
  const int made = ff().swr_convert(resampler, &dst, room, f ? const_cast<const uint8_t**>(f->extended_data) : nullptr, inSamples);
  const int frames = std::max(made, 0);
  if (monoSound) {
    out.resize(at + 2 * static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) out[at + 2 * static_cast<size_t>(i)] = out[at + 2 * static_cast<size_t>(i) + 1] = monoBuffer[static_cast<size_t>(i)];
  } else {
    out.resize(at + 2 * static_cast<size_t>(frames));
  }
  return frames;
}

VideoDecoder::Output VideoDecoder::decode(VideoPicture& picture, std::vector<float>& sound, double& soundTime) {
  Impl& d = *impl_;
  for (;;) {
    if (d.errorsInARow > kMaxErrorsInARow) return Output::kEnd;

    // Pictures and sound the decoders already hold come first.
    if (!d.pictureDrained) {
      if (!picture.frame_) picture.frame_ = ff().av_frame_alloc();
      if (!picture.frame_) return Output::kEnd;
      const int r = ff().avcodec_receive_frame(d.picture, picture.frame_);
      if (r == 0) {
        const AVFrame* f = picture.frame_;
        if (f->width <= 0 || f->height <= 0 || f->width > kMaxVideoSide || f->height > kMaxVideoSide) {
          ff().av_frame_unref(picture.frame_);
          ++d.errorsInARow;
          continue;
        }
        const AVStream* s = d.format->streams[d.pictureIndex];
        picture.time = f->best_effort_timestamp != AV_NOPTS_VALUE ? Seconds(f->best_effort_timestamp, s->time_base) - d.start
                                                                   : d.nextPictureTime;
        d.nextPictureTime = picture.time + frameDuration_;
        d.errorsInARow = 0;
        return Output::kPicture;
      }
      if (r == AVERROR_EOF) d.pictureDrained = true;
      else if (r != AVERROR(EAGAIN)) ++d.errorsInARow;
    }
    if (d.sound && !d.soundDrained) {
      const int r = ff().avcodec_receive_frame(d.sound, d.soundFrame);
      if (r == 0) {
        const AVFrame* f = d.soundFrame;
        const bool usable = f->nb_samples > 0 && f->nb_samples <= kMaxSoundFrameSamples && d.ensureResampler(f);
        if (!usable) {
          ff().av_frame_unref(d.soundFrame);
          ++d.errorsInARow;
          continue;
        }
        const AVStream* s = d.format->streams[d.soundIndex];
        double t = f->best_effort_timestamp != AV_NOPTS_VALUE ? Seconds(f->best_effort_timestamp, s->time_base) - d.start
                                                               : d.nextSoundTime;
        d.nextSoundTime = t + static_cast<double>(f->nb_samples) / f->sample_rate;
        // The resampler holds back a few samples; the first one it gives now is that much older.
        t -= static_cast<double>(ff().swr_get_delay(d.resampler, d.soundRate)) / d.soundRate;
        const int made = d.resample(f, sound);
        ff().av_frame_unref(d.soundFrame);
        if (made > 0) {
          soundTime = t;
          d.errorsInARow = 0;
          return Output::kSound;
        }
        continue;
      }
      if (r == AVERROR_EOF) {
        d.soundDrained = true;
      } else if (r != AVERROR(EAGAIN)) {
        ++d.errorsInARow;
      }
    }
    if (d.sound && d.soundDrained && !d.resamplerDrained) {
      // What the resampler still holds, at the end of the sound.
      d.resamplerDrained = true;
      if (d.resampler) {
        const double t = d.nextSoundTime - static_cast<double>(ff().swr_get_delay(d.resampler, d.soundRate)) / d.soundRate;
        if (d.resample(nullptr, sound) > 0) {
          soundTime = t;
          return Output::kSound;
        }
      }
    }
    if (d.endOfFile) {
      if (d.pictureDrained && (!d.sound || d.resamplerDrained)) return Output::kEnd;
      // A decoder that answers neither a frame nor its end after the flush is broken.
      ++d.errorsInARow;
      continue;
    }

    // Both decoders want more: the next packet of the file.
    const int r = ff().av_read_frame(d.format, d.packet);
    if (r < 0) {
      // The end of the file (or a read that fails, as in a truncated file): flush the decoders.
      d.endOfFile = true;
      ff().avcodec_send_packet(d.picture, nullptr);
      if (d.sound) ff().avcodec_send_packet(d.sound, nullptr);
      continue;
    }
    AVCodecContext* target = d.packet->stream_index == d.pictureIndex ? d.picture
                             : (d.sound && d.packet->stream_index == d.soundIndex) ? d.sound
                                                                                   : nullptr;
    if (target) {
      const int sent = ff().avcodec_send_packet(target, d.packet);
      if (sent < 0 && sent != AVERROR(EAGAIN)) ++d.errorsInARow;  // a damaged packet is skipped
    }
    ff().av_packet_unref(d.packet);
  }
}

// ---- converting ----

bool VideoDecoder::convert(const VideoPicture& picture, std::vector<uint32_t>& argb) {
  const AVFrame* f = picture.frame_;
  if (!f || f->width <= 0 || f->height <= 0) return false;
  Impl& d = *impl_;
  d.scaler = ff().sws_getCachedContext(d.scaler, f->width, f->height, static_cast<AVPixelFormat>(f->format), width_, height_,
                                  AV_PIX_FMT_RGB32, SWS_BICUBIC, nullptr, nullptr, nullptr);
  if (!d.scaler) return false;
  argb.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
  // AV_PIX_FMT_RGB32 is one native 32-bit word a pixel, alpha in the top byte: 0xAARRGGBB.
  uint8_t* dst[4] = {reinterpret_cast<uint8_t*>(argb.data()), nullptr, nullptr, nullptr};
  int dstStride[4] = {width_ * 4, 0, 0, 0};
  if (ff().sws_scale(d.scaler, f->data, f->linesize, 0, f->height, dst, dstStride) <= 0) return false;
  // Pictures of videos are opaque, whatever the conversion left in the alpha byte.
  for (uint32_t& p : argb) p |= 0xFF000000u;
  return true;
}

// ---- rewinding ----

bool VideoDecoder::rewind() {
  Impl& d = *impl_;
  const int64_t target = d.format->start_time != AV_NOPTS_VALUE ? d.format->start_time : 0;
  if (ff().avformat_seek_file(d.format, -1, INT64_MIN, target, target, 0) < 0 &&
      ff().av_seek_frame(d.format, -1, target, AVSEEK_FLAG_BACKWARD) < 0)
    return false;
  ff().avcodec_flush_buffers(d.picture);
  if (d.sound) ff().avcodec_flush_buffers(d.sound);
  ff().swr_free(&d.resampler);
  d.resamplerRate = 0;
  d.endOfFile = d.pictureDrained = d.soundDrained = d.resamplerDrained = false;
  d.nextPictureTime = d.nextSoundTime = 0;
  d.errorsInARow = 0;
  return true;
}

}  // namespace qv::platform
