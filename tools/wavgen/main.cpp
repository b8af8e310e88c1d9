// kestal-wavgen OUTDIR: writes the five effect files into OUTDIR.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "tools/wavgen/effects.h"
#include "tools/wavgen/pcm_wav.h"
#include "tools/wavgen/synth.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTDIR\n", argc > 0 ? argv[0] : "kestal-wavgen");
    return 2;
  }
  const std::filesystem::path outDir = argv[1];
  std::error_code error;
  std::filesystem::create_directories(outDir, error);
  if (error) {
    std::fprintf(stderr, "kestal-wavgen: cannot create %s: %s\n", outDir.c_str(),
                 error.message().c_str());
    return 1;
  }
  for (const auto& recipe : kestal::wavgen::EFFECT_RECIPES) {
    const auto samples = recipe.make();
    const auto bytes = kestal::wavgen::encodeMonoPcm16(samples, kestal::wavgen::SAMPLE_RATE);
    const auto path = outDir / recipe.fileName;
    if (!kestal::wavgen::writeBytes(path, bytes)) {
      std::fprintf(stderr, "kestal-wavgen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
