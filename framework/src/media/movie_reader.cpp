// Movie, sound and picture headers through FFmpeg's libavformat.
//
// How FFmpeg's answers map onto a description:
// - supports video: a video stream that is not an attached cover picture, in a demuxer that
//   is not a single-picture one ("image2", "*_pipe"); supports image: a single-picture
//   demuxer; supports audio: an audio stream.
// - picture: the first such video stream's width and height; the pixel format of its codec
//   parameters; channel count and bits per pixel from the pixel format's components (packed
//   RGB 5/5/5 and 5/6/5 count as one 16-bit channel; FFmpeg has no 1-bit-alpha variant of
//   them); the group from the pixel format's layout (rgb24 RGB, bgr24 BGR, rgba RGBA, bgra
//   BGRA, argb ARGB, rgb0 RGBX, bgr0 BGRX, gray grey, ya grey with alpha, pal8 indexed,
//   YUV and the rest "other"); layers 1; aspect ratio the sample aspect ratio when set; no
//   dpi; colour profile the stream's colour primaries by name when the file sets them.
// - duration: the container's duration; frames per second: the stream's average rate.
extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cstring>
#include <mutex>

#include "brantic/imagetexture.h"
#include "media_readers.h"

namespace brantic::media {

namespace {

void ConfigureOnce() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

struct FormatContext {
  AVFormatContext* context = nullptr;
  ~FormatContext() {
    if (context) avformat_close_input(&context);
  }
};

bool IsSinglePictureDemuxer(const char* name) {
  const std::string_view text(name ? name : "");
  return text == "image2" || (text.size() > 5 && text.substr(text.size() - 5) == "_pipe");
}

PixelFormat PixelFormatOf(int format) {
  PixelFormat result;
  const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(format));
  if (!descriptor) return result;
  const std::string_view name(descriptor->name);
  const int components = descriptor->nb_components;
  result.channelCount = components;
  result.bitsPerPixel = components * descriptor->comp[0].depth;
  auto starts = [&](std::string_view prefix) { return name.substr(0, prefix.size()) == prefix; };
  if (starts("rgb555") || starts("bgr555") || starts("rgb565") || starts("bgr565") || starts("rgb444") ||
      starts("bgr444")) {
    result.channelCount = 1;
    result.bitsPerPixel = 16;
  } else if (descriptor->flags & AV_PIX_FMT_FLAG_PAL) {
    result.channelCount = 1;
    result.bitsPerPixel = 8;
    result.group = PixelFormatGroup::Indexed;
  } else if (starts("rgb0")) {
    result.group = PixelFormatGroup::RGBX;
    result.channelCount = 4;
    result.bitsPerPixel = 32;
  } else if (starts("bgr0")) {
    result.group = PixelFormatGroup::BGRX;
    result.channelCount = 4;
    result.bitsPerPixel = 32;
  } else if (starts("rgba")) {
    result.group = PixelFormatGroup::RGBA;
  } else if (starts("bgra")) {
    result.group = PixelFormatGroup::BGRA;
  } else if (starts("argb")) {
    result.group = PixelFormatGroup::ARGB;
  } else if (starts("rgb24") || starts("rgb48")) {
    result.group = PixelFormatGroup::RGB;
  } else if (starts("bgr24") || starts("bgr48")) {
    result.group = PixelFormatGroup::BGR;
  } else if (starts("gray")) {
    result.group = PixelFormatGroup::Grey;
  } else if (starts("ya")) {
    result.group = PixelFormatGroup::GreyAlpha;
  }
  return result;
}

std::vector<String> SuffixesOf(const AVInputFormat* format, const std::string& path) {
  std::vector<String> suffixes;
  std::string_view list(format && format->extensions ? format->extensions : "");
  while (!list.empty()) {
    const size_t comma = list.find(',');
    suffixes.emplace_back(list.substr(0, comma));
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
  }
  if (suffixes.empty()) {
    const size_t dot = path.rfind('.');
    if (dot != std::string::npos && path.find('/', dot) == std::string::npos) {
      suffixes.emplace_back(path.substr(dot + 1));
    }
  }
  return suffixes;
}

}  // namespace

bool IsMovieLibrarySuffix(std::string_view suffix) {
  static constexpr std::string_view kSuffixes[] = {
      "avi",  "mov", "mkv", "mp4", "m4v", "flv", "divx", "mpg", "mpeg", "wmv", "vob", "m2ts", "mts", "ts",
      "webm", "ogv", "3gp", "mxf", "wav", "mp3", "aiff", "aif", "flac", "ogg", "m4a", "aac",  "wma", "opus"};
  std::string lower(suffix);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (std::string_view known : kSuffixes) {
    if (lower == known) return true;
  }
  return false;
}

std::optional<FileFormatHandler> DescribeWithMovieLibrary(const std::string& path) {
  ConfigureOnce();
  FormatContext input;
  if (avformat_open_input(&input.context, path.c_str(), nullptr, nullptr) < 0) return std::nullopt;
  // Stream details (pixel and sample formats, durations of sounds) need a look at the first
  // packets; limit how far that look may go into a strange file.
  input.context->probesize = 2 * 1024 * 1024;
  input.context->max_analyze_duration = 2 * AV_TIME_BASE;
  if (avformat_find_stream_info(input.context, nullptr) < 0) return std::nullopt;

  const AVInputFormat* format = input.context->iformat;
  const bool singlePicture = IsSinglePictureDemuxer(format->name);
  const AVStream* video = nullptr;
  const AVStream* audio = nullptr;
  for (unsigned i = 0; i < input.context->nb_streams; ++i) {
    const AVStream* stream = input.context->streams[i];
    const AVMediaType kind = stream->codecpar->codec_type;
    if (kind == AVMEDIA_TYPE_VIDEO && !video && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC) &&
        stream->codecpar->width > 0 && stream->codecpar->height > 0) {
      video = stream;
    } else if (kind == AVMEDIA_TYPE_AUDIO && !audio) {
      audio = stream;
    }
  }
  if (!video && !audio) return std::nullopt;

  MediaInputProperties properties;
  properties.supportsImage = video && singlePicture;
  properties.supportsVideo = video && !singlePicture;
  properties.supportsAudio = audio != nullptr;

  auto texture = std::make_shared<ImageTexture>();
  texture->formatName = String(format->long_name ? format->long_name : format->name);
  if (video) {
    const AVCodecParameters* codec = video->codecpar;
    ImagePicture picture;
    picture.width = codec->width;
    picture.height = codec->height;
    picture.pixelFormat = PixelFormatOf(codec->format);
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(codec->format));
    picture.hasAlpha = descriptor && (descriptor->flags & AV_PIX_FMT_FLAG_ALPHA);
    picture.layerCount = 1;
    if (codec->sample_aspect_ratio.num > 0 && codec->sample_aspect_ratio.den > 0) {
      picture.aspectRatio = av_q2d(codec->sample_aspect_ratio);
    }
    if (codec->color_primaries != AVCOL_PRI_UNSPECIFIED && codec->color_primaries != AVCOL_PRI_RESERVED0) {
      if (const char* primaries = av_color_primaries_name(codec->color_primaries)) {
        picture.colorProfile = String(primaries);
      }
    }
    texture->pictures.push_back(std::move(picture));
    if (!singlePicture) {
      if (input.context->duration > 0) texture->duration = TimeValue(input.context->duration, AV_TIME_BASE);
      if (video->avg_frame_rate.num > 0 && video->avg_frame_rate.den > 0) {
        texture->framesPerSecond = av_q2d(video->avg_frame_rate);
      }
    }
  } else if (input.context->duration > 0) {
    texture->duration = TimeValue(input.context->duration, AV_TIME_BASE);
  }
  const String formatName = texture->formatName;
  return FileFormatHandler(FileFormatHandlerType::MediaInput, formatName, SuffixesOf(format, path), properties,
                           std::move(texture));
}

}  // namespace brantic::media

// First frames of movies, decoded with libavcodec and converted with libswscale.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

namespace brantic::media {

namespace {

struct CodecContext {
  AVCodecContext* context = nullptr;
  ~CodecContext() { avcodec_free_context(&context); }
};
struct Packet {
  AVPacket* packet = av_packet_alloc();
  ~Packet() { av_packet_free(&packet); }
};
struct Frame {
  AVFrame* frame = av_frame_alloc();
  ~Frame() { av_frame_free(&frame); }
};
struct Scaler {
  SwsContext* context = nullptr;
  ~Scaler() { sws_freeContext(context); }
};

// Packets read before giving up on a first frame (a broken stream never blocks).
constexpr int kMaxPackets = 500;

}  // namespace

Result<Picture> DecodeFirstVideoFrame(const std::string& path, const PictureFit& fit) {
  ConfigureOnce();
  FormatContext input;
  if (avformat_open_input(&input.context, path.c_str(), nullptr, nullptr) < 0) {
    return IllegalArgumentError(path + ": not a movie");
  }
  input.context->probesize = 2 * 1024 * 1024;
  input.context->max_analyze_duration = 2 * AV_TIME_BASE;
  if (avformat_find_stream_info(input.context, nullptr) < 0) return IllegalArgumentError(path + ": not a movie");
  const AVCodec* decoder = nullptr;
  const int streamIndex = av_find_best_stream(input.context, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
  if (streamIndex < 0 || !decoder) return IllegalArgumentError(path + ": no video to decode");
  const AVCodecParameters* parameters = input.context->streams[streamIndex]->codecpar;
  if (int64_t(parameters->width) * parameters->height > kMaxPicturePixels && !fit.reducedSize) {
    return IllegalArgumentError(path + ": the picture is too large to load");
  }
  CodecContext codec;
  codec.context = avcodec_alloc_context3(decoder);
  if (!codec.context || avcodec_parameters_to_context(codec.context, parameters) < 0 ||
      avcodec_open2(codec.context, decoder, nullptr) < 0) {
    return IllegalArgumentError(path + ": cannot decode the video");
  }
  Packet packet;
  Frame frame;
  if (!packet.packet || !frame.frame) return OutOfMemoryError();
  bool decoded = false;
  for (int read = 0; read < kMaxPackets && !decoded; ++read) {
    const int status = av_read_frame(input.context, packet.packet);
    if (status < 0) {
      avcodec_send_packet(codec.context, nullptr);  // drain what the decoder holds
    } else if (packet.packet->stream_index != streamIndex) {
      av_packet_unref(packet.packet);
      continue;
    } else {
      avcodec_send_packet(codec.context, packet.packet);
      av_packet_unref(packet.packet);
    }
    decoded = avcodec_receive_frame(codec.context, frame.frame) == 0;
    if (status < 0 && !decoded) break;
  }
  if (!decoded || frame.frame->width <= 0 || frame.frame->height <= 0) {
    return IllegalArgumentError(path + ": no frame could be decoded");
  }
  Picture picture;
  picture.sourceWidth = frame.frame->width;
  picture.sourceHeight = frame.frame->height;
  picture.width = picture.sourceWidth;
  picture.height = picture.sourceHeight;
  // A large frame is converted straight into its reduced copy.
  const bool reduce = int64_t(picture.width) * picture.height > std::min(fit.wholeUpTo, kMaxPicturePixels);
  if (reduce) {
    if (!fit.reducedSize) return IllegalArgumentError(path + ": the picture is too large to load");
    const PictureSize size = fit.reducedSize(picture.width, picture.height);
    picture.width = std::clamp(size.width, 1, picture.width);
    picture.height = std::clamp(size.height, 1, picture.height);
  }
  picture.channels = 3;
  picture.pixels.resize(size_t(picture.width) * picture.height * 3);
  Scaler scaler;
  scaler.context = sws_getContext(picture.sourceWidth, picture.sourceHeight,
                                  static_cast<AVPixelFormat>(frame.frame->format), picture.width, picture.height,
                                  AV_PIX_FMT_RGB24, reduce ? SWS_AREA : SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!scaler.context) return IllegalArgumentError(path + ": cannot convert the frame");
  uint8_t* target[1] = {picture.pixels.data()};
  const int targetStride[1] = {picture.width * 3};
  sws_scale(scaler.context, frame.frame->data, frame.frame->linesize, 0, picture.sourceHeight, target, targetStride);
  return picture;
}

}  // namespace brantic::media
