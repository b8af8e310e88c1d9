#include "tools/replay/video_file.h"

#include <cstdio>
#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

#include "video/video_format.h"

namespace kestal::replay {
namespace {

using video::CHROMA_BYTES;
using video::CHROMA_HEIGHT;
using video::CHROMA_WIDTH;
using video::LUMA_BYTES;

std::string errorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// What each container holds. x264's fastest preset is what keeps four times real time on
// two cores (its arithmetic coding alone would cost a third more time on the star field's
// noise); at CRF 23 a busy frame of play keeps above 40 dB PSNR. VP9 is set for speed
// likewise.
struct Container {
  const char* extension;
  const char* videoEncoder;
  const char* videoOptions[5][2];
  const char* soundEncoder;
  AVSampleFormat sampleFormat;
  std::int64_t soundBitRate;
};
constexpr Container CONTAINERS[] = {
    {".mp4",
     "libx264",
     {{"preset", "ultrafast"}, {"crf", "23"}, {}, {}, {}},
     "aac",
     AV_SAMPLE_FMT_FLTP,
     128000},
    {".webm",
     "libvpx-vp9",
     {{"deadline", "realtime"}, {"cpu-used", "8"}, {"row-mt", "1"}, {"crf", "30"}, {"b", "0"}},
     "libopus",
     AV_SAMPLE_FMT_FLT,
     96000},
};

const Container* containerOf(const std::string& path) {
  for (const Container& container : CONTAINERS) {
    const std::size_t length = std::strlen(container.extension);
    if (path.size() > length && path.compare(path.size() - length, length, container.extension) == 0) {
      return &container;
    }
  }
  return nullptr;
}

struct CodecContextFree {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextFree>;
using Frame = std::unique_ptr<AVFrame, FrameFree>;
using Packet = std::unique_ptr<AVPacket, PacketFree>;

}  // namespace

struct VideoFile::Encoding {
  AVFormatContext* format = nullptr;
  CodecContext video;
  CodecContext sound;
  AVStream* videoStream = nullptr;
  AVStream* soundStream = nullptr;
  Frame picture{av_frame_alloc()};
  Frame samples{av_frame_alloc()};
  Packet packet{av_packet_alloc()};
  std::int64_t picturesSent = 0;
  std::int64_t samplesSent = 0;
  std::vector<float> waiting;  // sound not yet a whole encoder frame
  bool fileOpen = false;

  ~Encoding() {
    if (fileOpen) avio_closep(&format->pb);
    avformat_free_context(format);
  }

  std::string openVideo(const Container& container);
  std::string openSound(const Container& container);
  // Sends `frame` (null: the end) and writes every packet the encoder has ready.
  std::string encode(AVCodecContext* context, AVStream* stream, AVFrame* frame);
  std::string sendSamples(int count);
};

std::string VideoFile::Encoding::openVideo(const Container& container) {
  const AVCodec* codec = avcodec_find_encoder_by_name(container.videoEncoder);
  if (codec == nullptr) return std::string("this FFmpeg has no ") + container.videoEncoder + " encoder";
  video.reset(avcodec_alloc_context3(codec));
  AVCodecContext* c = video.get();
  c->width = video::VIDEO_WIDTH;
  c->height = video::VIDEO_HEIGHT;
  c->sample_aspect_ratio = {1, 1};
  c->time_base = {1, video::FRAME_RATE};
  c->framerate = {video::FRAME_RATE, 1};
  c->pix_fmt = AV_PIX_FMT_YUV420P;
  c->color_range = AVCOL_RANGE_MPEG;
  c->color_primaries = AVCOL_PRI_BT709;
  c->color_trc = AVCOL_TRC_BT709;
  c->colorspace = AVCOL_SPC_BT709;
  c->gop_size = 2 * video::FRAME_RATE;  // a key frame every two seconds, for seeking
  c->thread_count = 0;                  // as many as the machine has
  if (format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  AVDictionary* options = nullptr;
  for (const auto& option : container.videoOptions) {
    if (option[0] != nullptr) av_dict_set(&options, option[0], option[1], 0);
  }
  const int opened = avcodec_open2(c, codec, &options);
  av_dict_free(&options);
  if (opened < 0) return "the video encoder did not start (" + errorText(opened) + ")";
  videoStream = avformat_new_stream(format, nullptr);
  avcodec_parameters_from_context(videoStream->codecpar, c);
  videoStream->time_base = c->time_base;
  videoStream->avg_frame_rate = c->framerate;
  picture->format = c->pix_fmt;
  picture->width = c->width;
  picture->height = c->height;
  if (av_frame_get_buffer(picture.get(), 0) < 0) return "no memory for a video frame";
  return {};
}

std::string VideoFile::Encoding::openSound(const Container& container) {
  const AVCodec* codec = avcodec_find_encoder_by_name(container.soundEncoder);
  if (codec == nullptr) return std::string("this FFmpeg has no ") + container.soundEncoder + " encoder";
  sound.reset(avcodec_alloc_context3(codec));
  AVCodecContext* c = sound.get();
  c->sample_fmt = container.sampleFormat;
  c->sample_rate = video::SOUND_RATE;
  c->time_base = {1, video::SOUND_RATE};
  c->bit_rate = container.soundBitRate;
  av_channel_layout_default(&c->ch_layout, 1);
  if (format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (const int opened = avcodec_open2(c, codec, nullptr); opened < 0) {
    return "the sound encoder did not start (" + errorText(opened) + ")";
  }
  soundStream = avformat_new_stream(format, nullptr);
  avcodec_parameters_from_context(soundStream->codecpar, c);
  soundStream->time_base = c->time_base;
  samples->format = c->sample_fmt;
  samples->sample_rate = c->sample_rate;
  av_channel_layout_copy(&samples->ch_layout, &c->ch_layout);
  samples->nb_samples = c->frame_size > 0 ? c->frame_size : video::SAMPLES_PER_RETRACE;
  if (av_frame_get_buffer(samples.get(), 0) < 0) return "no memory for sound";
  return {};
}

std::string VideoFile::Encoding::encode(AVCodecContext* context, AVStream* stream,
                                        AVFrame* frame) {
  if (const int sent = avcodec_send_frame(context, frame); sent < 0) {
    return "encoding failed (" + errorText(sent) + ")";
  }
  for (;;) {
    const int received = avcodec_receive_packet(context, packet.get());
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return {};
    if (received < 0) return "encoding failed (" + errorText(received) + ")";
    av_packet_rescale_ts(packet.get(), context->time_base, stream->time_base);
    packet->stream_index = stream->index;
    if (const int written = av_interleaved_write_frame(format, packet.get()); written < 0) {
      return errorText(written);
    }
  }
}

std::string VideoFile::Encoding::sendSamples(int count) {
  if (av_frame_make_writable(samples.get()) < 0) return "no memory for sound";
  samples->nb_samples = count;
  std::memcpy(samples->data[0], waiting.data(), sizeof(float) * static_cast<std::size_t>(count));
  waiting.erase(waiting.begin(), waiting.begin() + count);
  samples->pts = samplesSent;
  samplesSent += count;
  return encode(sound.get(), soundStream, samples.get());
}

VideoFile::VideoFile() = default;

VideoFile::~VideoFile() = default;

std::string VideoFile::open(const std::string& path, bool withSound) {
  const Container* container = containerOf(path);
  if (container == nullptr) return "--video file '" + path + "' must end in .mp4 or .webm";
  // Failures are said in one sentence of ours, not in the libraries' own lines.
  av_log_set_level(AV_LOG_QUIET);
  path_ = path;
  encoding_ = std::make_unique<Encoding>();
  Encoding& e = *encoding_;
  avformat_alloc_output_context2(&e.format, nullptr, nullptr, path.c_str());
  if (e.format == nullptr) return "cannot make a video file of '" + path + "'";
  std::string problem = e.openVideo(*container);
  if (problem.empty() && withSound) problem = e.openSound(*container);
  if (!problem.empty()) return "cannot make video file '" + path + "': " + problem;
  if (const int opened = avio_open(&e.format->pb, path.c_str(), AVIO_FLAG_WRITE); opened < 0) {
    return "cannot create '" + path + "': " + errorText(opened);
  }
  e.fileOpen = true;
  AVDictionary* options = nullptr;
  // The index first, so that a player or site can start before the whole file is there.
  av_dict_set(&options, "movflags", "+faststart", 0);
  const int written = avformat_write_header(e.format, &options);
  av_dict_free(&options);
  if (written < 0) return "cannot write '" + path + "': " + errorText(written);
  return {};
}

std::string VideoFile::addPicture(const video::YuvPicture& picture) {
  Encoding& e = *encoding_;
  AVFrame* frame = e.picture.get();
  if (av_frame_make_writable(frame) < 0) return "no memory for a video frame";
  const std::uint8_t* planes = picture.planes().data();
  const std::uint8_t* sources[3] = {planes, planes + LUMA_BYTES, planes + LUMA_BYTES + CHROMA_BYTES};
  const int widths[3] = {video::VIDEO_WIDTH, CHROMA_WIDTH, CHROMA_WIDTH};
  const int heights[3] = {video::VIDEO_HEIGHT, CHROMA_HEIGHT, CHROMA_HEIGHT};
  for (int plane = 0; plane < 3; ++plane) {
    for (int row = 0; row < heights[plane]; ++row) {
      std::memcpy(frame->data[plane] + static_cast<std::ptrdiff_t>(row) * frame->linesize[plane],
                  sources[plane] + static_cast<std::ptrdiff_t>(row) * widths[plane],
                  static_cast<std::size_t>(widths[plane]));
    }
  }
  frame->pts = e.picturesSent++;
  std::string problem = e.encode(e.video.get(), e.videoStream, frame);
  return problem.empty() ? problem : "cannot write '" + path_ + "': " + problem;
}

std::string VideoFile::addSound(std::span<const float> samples) {
  Encoding& e = *encoding_;
  e.waiting.insert(e.waiting.end(), samples.begin(), samples.end());
  const int frameSize = e.sound->frame_size > 0 ? e.sound->frame_size : static_cast<int>(samples.size());
  while (e.waiting.size() >= static_cast<std::size_t>(frameSize)) {
    if (std::string problem = e.sendSamples(frameSize); !problem.empty()) {
      return "cannot write '" + path_ + "': " + problem;
    }
  }
  return {};
}

std::string VideoFile::finish() {
  Encoding& e = *encoding_;
  std::string problem;
  if (e.sound && !e.waiting.empty()) problem = e.sendSamples(static_cast<int>(e.waiting.size()));
  if (problem.empty()) problem = e.encode(e.video.get(), e.videoStream, nullptr);
  if (problem.empty() && e.sound) problem = e.encode(e.sound.get(), e.soundStream, nullptr);
  if (problem.empty()) {
    if (const int written = av_write_trailer(e.format); written < 0) problem = errorText(written);
  }
  e.fileOpen = false;
  if (const int closed = avio_closep(&e.format->pb); closed < 0 && problem.empty()) {
    problem = errorText(closed);
  }
  return problem.empty() ? problem : "cannot write '" + path_ + "': " + problem;
}

void VideoFile::discard() {
  encoding_.reset();
  if (!path_.empty()) std::remove(path_.c_str());
}

}  // namespace kestal::replay
