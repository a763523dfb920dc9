#include "pictures/picture_reduce.h"

#include "base/data_error.h"

#include <jpeglib.h>
#include <jerror.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tackedit {

namespace {

// Hostile progressive files can hold thousands of tiny scans; real ones a dozen.
constexpr int kMaxScans = 500;
constexpr int kWeightBits = 14;

// The library's failures come back here instead of ending the process: the
// message is kept and control jumps back to the call that set `jump`.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    char warning[JMSG_LENGTH_MAX];  // the first warning: data damaged but decoded on
    bool too_large;
};

extern "C" void ErrorExit(j_common_ptr cinfo)
{
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

extern "C" void OutputMessage(j_common_ptr) {}

extern "C" void EmitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;  // trace messages
    auto* manager = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (cinfo->err->num_warnings++ == 0)
        (*cinfo->err->format_message)(cinfo, manager->warning);
}

struct ScanLimit {
    jpeg_progress_mgr pub;
    ErrorManager* errors;
};

extern "C" void CheckScans(j_common_ptr cinfo)
{
    auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompress->input_scan_number > kMaxScans) {
        auto* limit = reinterpret_cast<ScanLimit*>(cinfo->progress);
        std::snprintf(limit->errors->message, sizeof limit->errors->message, "more than %d scans", kMaxScans);
        std::longjmp(limit->errors->jump, 1);
    }
}

void InitErrors(ErrorManager& errors)
{
    jpeg_std_error(&errors.pub);
    errors.pub.error_exit = ErrorExit;
    errors.pub.output_message = OutputMessage;
    errors.pub.emit_message = EmitMessage;
    errors.message[0] = '\0';
    errors.warning[0] = '\0';
    errors.too_large = false;
}

// Contributions of the input pixels to each output pixel along one side.
struct AxisWeights {
    std::vector<int> first, count;
    std::vector<std::int32_t> weights;  // count[i] weights from offset[i]
    std::vector<int> offset;
};

AxisWeights MakeWeights(int in, int out)
{
    AxisWeights axis;
    std::vector<double> w;
    for (int i = 0; i < out; ++i) {
        w.clear();
        int first;
        if (out < in) {
            // Area averaging: the share of each input pixel under the output pixel.
            const double start = static_cast<double>(i) * in / out, end = static_cast<double>(i + 1) * in / out;
            first = static_cast<int>(std::floor(start));
            for (int j = first; j < in && j < end; ++j)
                w.push_back(std::min(end, j + 1.0) - std::max(start, static_cast<double>(j)));
        } else {
            // Bilinear between the two nearest pixel centres.
            const double x = std::clamp((i + 0.5) * in / out - 0.5, 0.0, static_cast<double>(in - 1));
            first = static_cast<int>(std::floor(x));
            const double f = x - first;
            w.push_back(1 - f);
            if (first + 1 < in)
                w.push_back(f);
        }
        double total = 0;
        for (double v : w)
            total += v;
        axis.first.push_back(first);
        axis.count.push_back(static_cast<int>(w.size()));
        axis.offset.push_back(static_cast<int>(axis.weights.size()));
        std::int32_t sum = 0;
        std::size_t largest = axis.weights.size();
        for (double v : w) {
            const auto q = static_cast<std::int32_t>(std::lround(v / total * (1 << kWeightBits)));
            if (axis.weights.size() == largest || q > axis.weights[largest])
                largest = axis.weights.size();
            axis.weights.push_back(q);
            sum += q;
        }
        axis.weights[largest] += (1 << kWeightBits) - sum;  // the weights add up exactly
    }
    return axis;
}

unsigned char Clamp(std::int64_t sum)
{
    const std::int64_t v = (sum + (1 << (kWeightBits - 1))) >> kWeightBits;
    return static_cast<unsigned char>(std::clamp<std::int64_t>(v, 0, 255));
}

// What the decoder fills; owned by the caller so that nothing with a destructor
// lives in the frame that a library error jumps back to.
struct DecodeState {
    PictureSize source, target, scaled;
    AxisWeights horizontal;
    std::vector<unsigned char> row;           // one decoded row
    std::vector<unsigned char> intermediate;  // target width × scaled height
    int size = 0;
    bool enlarge = true;
    bool prepared = false;
};

void Prepare(DecodeState& state, j_decompress_ptr cinfo)
{
    state.scaled = {static_cast<int>(cinfo->output_width), static_cast<int>(cinfo->output_height)};
    state.horizontal = MakeWeights(state.scaled.width, state.target.width);
    state.row.resize(static_cast<std::size_t>(state.scaled.width) * cinfo->output_components);
    state.intermediate.resize(static_cast<std::size_t>(state.target.width) * 3 * state.scaled.height);
    state.prepared = true;
}

void ResampleRow(DecodeState& state, int y, bool cmyk, bool inverted)
{
    unsigned char* rgb = state.row.data();
    if (cmyk) {
        // Four channels to three, in place.
        for (int x = 0; x < state.scaled.width; ++x) {
            const unsigned char* p = state.row.data() + 4 * x;
            int c = p[0], m = p[1], ye = p[2], k = p[3];
            if (!inverted) {
                c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
            }
            rgb[3 * x] = static_cast<unsigned char>(c * k / 255);
            rgb[3 * x + 1] = static_cast<unsigned char>(m * k / 255);
            rgb[3 * x + 2] = static_cast<unsigned char>(ye * k / 255);
        }
    }
    const AxisWeights& h = state.horizontal;
    unsigned char* out = state.intermediate.data() + static_cast<std::size_t>(y) * state.target.width * 3;
    for (int x = 0; x < state.target.width; ++x) {
        std::int64_t r = 0, g = 0, b = 0;
        const std::int32_t* w = h.weights.data() + h.offset[x];
        const unsigned char* p = rgb + 3 * h.first[x];
        for (int k = 0; k < h.count[x]; ++k, p += 3) {
            r += w[k] * p[0];
            g += w[k] * p[1];
            b += w[k] * p[2];
        }
        out[3 * x] = Clamp(r);
        out[3 * x + 1] = Clamp(g);
        out[3 * x + 2] = Clamp(b);
    }
}

// Decodes at the smallest library scale that still covers the target and
// resamples each row across; false with errors.message set on failure.
bool Decode(const unsigned char* data, std::size_t bytes, DecodeState& state, ErrorManager& errors)
{
    jpeg_decompress_struct cinfo;
    ScanLimit limit;
    cinfo.err = &errors.pub;
    limit.errors = &errors;
    limit.pub.progress_monitor = CheckScans;
    if (setjmp(errors.jump)) {
        if (errors.pub.msg_code == JERR_NO_BACKING_STORE) {
            // The library asked for more than the limit allows.
            errors.too_large = true;
            std::snprintf(errors.message, sizeof errors.message,
                          "%u x %u pixels in several scans needs more than the %ld MB a picture may take to decode",
                          cinfo.image_width, cinfo.image_height, kMaxDecoderMemory >> 20);
        }
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
    cinfo.progress = &limit.pub;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(bytes));
    jpeg_read_header(&cinfo, TRUE);
    const long long w = cinfo.image_width, h = cinfo.image_height;
    if (w > kMaxPictureSide || h > kMaxPictureSide || w * h > kMaxPicturePixels) {
        std::snprintf(errors.message, sizeof errors.message,
                      "%lld x %lld pixels is larger than a picture this program reduces (%d pixels a side, %lld "
                      "megapixels)",
                      w, h, kMaxPictureSide, kMaxPicturePixels / 1000000);
        errors.too_large = true;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    state.source = {static_cast<int>(w), static_cast<int>(h)};
    const int longer = std::max(state.source.width, state.source.height);
    state.target = ReducedSize(state.source.width, state.source.height,
                               state.enlarge ? state.size : std::min(state.size, longer));

    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    cinfo.scale_denom = 8;
    for (unsigned m = 1; m <= 8; ++m) {
        cinfo.scale_num = m;
        jpeg_calc_output_dimensions(&cinfo);
        if (static_cast<int>(cinfo.output_width) >= state.target.width &&
            static_cast<int>(cinfo.output_height) >= state.target.height)
            break;
    }
    jpeg_start_decompress(&cinfo);
    Prepare(state, &cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        JSAMPROW row = state.row.data();
        jpeg_read_scanlines(&cinfo, &row, 1);
        ResampleRow(state, y, cmyk, cinfo.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

std::vector<unsigned char> ResampleColumns(const DecodeState& state)
{
    const AxisWeights v = MakeWeights(state.scaled.height, state.target.height);
    const std::size_t stride = static_cast<std::size_t>(state.target.width) * 3;
    std::vector<unsigned char> out(stride * state.target.height);
    std::vector<std::int64_t> sums(stride);
    for (int y = 0; y < state.target.height; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int k = 0; k < v.count[y]; ++k) {
            const std::int32_t w = v.weights[v.offset[y] + k];
            const unsigned char* p = state.intermediate.data() + stride * (v.first[y] + k);
            for (std::size_t i = 0; i < stride; ++i)
                sums[i] += w * p[i];
        }
        unsigned char* row = out.data() + stride * y;
        for (std::size_t i = 0; i < stride; ++i)
            row[i] = Clamp(sums[i]);
    }
    return out;
}

// A baseline JPEG of RGB pixels; false with errors.message set on failure.
bool Encode(const std::vector<unsigned char>& rgb, PictureSize size, int quality, std::string& out,
            ErrorManager& errors)
{
    jpeg_compress_struct cinfo;
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    cinfo.err = &errors.pub;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &length);
    cinfo.image_width = static_cast<JDIMENSION>(size.width);
    cinfo.image_height = static_cast<JDIMENSION>(size.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto row = const_cast<JSAMPROW>(rgb.data() + static_cast<std::size_t>(cinfo.next_scanline) * size.width * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    out.assign(reinterpret_cast<const char*>(buffer), length);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return true;
}

} // namespace

PictureSize ReducedSize(int width, int height, int size)
{
    // Exact integer arithmetic: h / w × size, truncated.
    const auto scaled = [size](long long part, long long whole) {
        return std::max(1, static_cast<int>(part * size / std::max(1LL, whole)));
    };
    if (height < width)
        return {size, scaled(height, width)};
    return {scaled(width, height), size};
}

ReducedPicture ReduceJpeg(std::string_view jpeg, int size, int quality, const std::string& file, bool enlarge)
{
    if (size < 1 || size > kMaxPictureSide)
        throw DataError(file, 0, "", "picture size " + std::to_string(size) + " is out of range");
    ErrorManager errors;
    InitErrors(errors);
    DecodeState state;
    state.size = size;
    state.enlarge = enlarge;
    if (!Decode(reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size(), state, errors)) {
        const std::string message = std::string("cannot decode the picture: ") + errors.message;
        if (errors.too_large)
            throw PictureTooLargeError(file, 0, "", message);
        throw DataError(file, 0, "", message);
    }
    ReducedPicture picture;
    picture.warning = errors.warning;
    picture.source = state.source;
    picture.size = state.target;
    picture.rgb = state.scaled.width == state.target.width && state.scaled.height == state.target.height
                      ? std::move(state.intermediate)
                      : ResampleColumns(state);
    InitErrors(errors);
    if (!Encode(picture.rgb, picture.size, std::clamp(quality, 1, 100), picture.jpeg, errors))
        throw DataError(file, 0, "", std::string("cannot encode the reduced picture: ") + errors.message);
    return picture;
}

} // namespace tackedit
