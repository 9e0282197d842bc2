#include "platform/MszipCodec.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace kw {

// The settings the system's cabinet library used for the packages written so far: the default level,
// raw deflate with the whole 32 KB window. The same settings give the same bytes.
struct MszipEncoder::State {
    z_stream stream{};
    bool ready = false;
};

MszipEncoder::MszipEncoder() : state_(std::make_unique<State>()) {
    state_->ready = deflateInit2(&state_->stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                                 Z_DEFAULT_STRATEGY) == Z_OK;
}

MszipEncoder::~MszipEncoder() {
    if (state_->ready)
        deflateEnd(&state_->stream);
}

std::size_t MszipEncoder::encode(const unsigned char* in, std::size_t size, unsigned char* out) {
    z_stream& s = state_->stream;
    if (!state_->ready || size > kMszipBlock || deflateReset(&s) != Z_OK)
        return 0;
    out[0] = 'C';
    out[1] = 'K';
    s.next_in = const_cast<unsigned char*>(in);
    s.avail_in = static_cast<uInt>(size);
    s.next_out = out + 2;
    s.avail_out = static_cast<uInt>(kMszipMaxPacked - 2);
    if (deflate(&s, Z_FINISH) != Z_STREAM_END)
        return 0;
    return 2 + (kMszipMaxPacked - 2 - s.avail_out);
}

struct MszipDecoder::State {
    z_stream stream{};
    bool ready = false;
    std::vector<unsigned char> history; // the last 32 KB the folder unpacked to
};

MszipDecoder::MszipDecoder() : state_(std::make_unique<State>()) {
    state_->ready = inflateInit2(&state_->stream, -MAX_WBITS) == Z_OK;
    state_->history.reserve(kMszipBlock * 2);
}

MszipDecoder::~MszipDecoder() {
    if (state_->ready)
        inflateEnd(&state_->stream);
}

void MszipDecoder::restart() {
    state_->history.clear();
}

bool MszipDecoder::decode(const unsigned char* data, std::size_t size, unsigned char* out,
                          std::size_t declared) {
    z_stream& s = state_->stream;
    if (!state_->ready || size < 2 || data[0] != 'C' || data[1] != 'K' || declared > kMszipBlock ||
        inflateReset(&s) != Z_OK)
        return false;
    std::vector<unsigned char>& history = state_->history;
    if (!history.empty() &&
        inflateSetDictionary(&s, history.data(), static_cast<uInt>(history.size())) != Z_OK)
        return false;
    s.next_in = const_cast<unsigned char*>(data + 2);
    s.avail_in = static_cast<uInt>(size - 2);
    s.next_out = out;
    s.avail_out = static_cast<uInt>(declared);
    int status = inflate(&s, Z_FINISH);
    // A stream that needs more room than declared stops with the output full and no end reached.
    if (status != Z_STREAM_END || s.avail_out != 0)
        return false;
    if (declared == kMszipBlock) { // a whole block is the whole history
        history.assign(out, out + declared);
        return true;
    }
    if (history.size() + declared > kMszipBlock)
        history.erase(history.begin(),
                      history.begin() + static_cast<std::ptrdiff_t>(std::min(
                                            history.size(), history.size() + declared - kMszipBlock)));
    history.insert(history.end(), out, out + declared);
    return true;
}

} // namespace kw
