// The PNG decoder alone on arbitrary bytes.
#include "fuzz_decode_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessary::image;
    fuzzing::decodeBytes(data, size, [](const decode::Input& in, RowSink& sink) {
        return decode::decodePng(in, sink, nullptr);
    });
    return 0;
}
