// FFmpeg's libraries, opened the first time a video is (platform/late_library). Linked in at start
// they would bring about 150 shared libraries (every codec FFmpeg was built with, TLS, network
// protocols) into every run of the runner and of qvscript: mapping them cost ~55 ms before the
// first step. The functions the video decoder calls are looked up once.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace qv::platform {

#define QV_FFMPEG_FUNCTIONS(X)                                                                          \
  X(av_channel_layout_copy) X(av_channel_layout_default) X(av_channel_layout_uninit) X(av_find_best_stream) \
  X(av_frame_alloc) X(av_frame_free) X(av_frame_unref) X(av_guess_frame_rate) X(av_log_set_level)         \
  X(av_packet_alloc) X(av_packet_free) X(av_packet_unref) X(av_read_frame) X(av_seek_frame)               \
  X(avcodec_alloc_context3) X(avcodec_find_decoder) X(avcodec_flush_buffers) X(avcodec_free_context)      \
  X(avcodec_open2) X(avcodec_parameters_to_context) X(avcodec_receive_frame) X(avcodec_send_packet)       \
  X(avformat_close_input) X(avformat_find_stream_info) X(avformat_open_input) X(avformat_seek_file)       \
  X(swr_alloc_set_opts2) X(swr_convert) X(swr_free) X(swr_get_delay) X(swr_get_out_samples) X(swr_init)   \
  X(sws_freeContext) X(sws_getCachedContext) X(sws_scale)

// The functions, each with the type its header gives it.
struct FfmpegLibrary {
#define QV_FFMPEG_POINTER(name) decltype(&::name) name = nullptr;
  QV_FFMPEG_FUNCTIONS(QV_FFMPEG_POINTER)
#undef QV_FFMPEG_POINTER
};

// The libraries, opened on the first call; nullptr (on every call) when one of them or one of the
// functions cannot be found.
const FfmpegLibrary* Ffmpeg();

}  // namespace qv::platform
