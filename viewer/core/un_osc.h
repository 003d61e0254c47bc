#pragma once
// Reader of a ".31" oscillogram: header, channel and section descriptors and
// the quantity table, then the samples point by point, all stored channels at
// once, through a fixed buffer of 500 points of each of up to 32 channels.
// One reader per open file: the dialog's current file and the open dialog's
// browse preview each have their own.
//
// Calling order for samples: OpenOscFile (or ReadOscHeader), RewindOscData,
// then NextOscSample N times; after call i, OscCurValues[0..C-1] hold point i
// (time (i - 1) * step) of stored channels 1..C.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "common/osc31.h"
#include "common/rtl_file.h"

namespace kv {

inline constexpr int kOscChunkPoints = 500;

class OscReader {
 public:
  OscReader();  // allocates the chunk buffer once
  OscReader(const OscReader&) = delete;
  OscReader& operator=(const OscReader&) = delete;

  // Reads the header blocks of `Name`. True: the records describe the file,
  // which stays open at its start. False: no file is left open, every
  // record (and the name ReadOscHeader reopens) keeps the previous file's
  // contents, and LastError() tells the user what is wrong. Never throws.
  bool OpenOscFile(const std::string& Name);
  // Opens the file of the last successful OpenOscFile again (closing it
  // first) and re-reads its header blocks; same result and guarantees.
  bool ReadOscHeader();

  // Start of the samples. Throws IoError ("File not open" when no file is).
  void RewindOscData();
  // Next chunk of up to 500 points of every stored channel. Throws IoError
  // ("Read beyond end of file" for a short read).
  void LoadOscChunk();
  // Next point into OscCurValues. Asking beyond point N, or a short read,
  // throws IoError "Read beyond end of file"; no stale value is served.
  void NextOscSample();

  void Close();  // never throws
  bool IsOpen() const { return file_.isOpen(); }
  // The file the records describe (empty before the first successful open).
  const std::string& FileName() const { return name_; }
  // Why the last OpenOscFile / ReadOscHeader failed, for the user; its
  // IoError code (a runtime code, or kBadFileFormat).
  const std::string& LastError() const { return lastError_; }
  int LastErrorCode() const { return lastErrorCode_; }

  // Records of the file; arrays are 0-based: OscChannels[j - 1] is channel
  // descriptor j, OscSections[s - 1] section s, OscQuantities[q - 1] entry q.
  // The phenomena dialog overwrites OscQuantities for result files.
  osc31::TOscHeader OscHeader{};
  std::array<osc31::TOscChannel, osc31::kMaxChannels> OscChannels{};
  std::array<osc31::TOscSection, osc31::kSectionCount> OscSections{};
  std::array<osc31::TOscQuantity, osc31::kQuantityCount> OscQuantities{};
  // Current point of stored channels 1..C (index a - 1).
  std::array<float, osc31::kMaxChannels> OscCurValues{};

  // Chunk position.
  std::int32_t OscLoadedPoints() const { return loaded_; }
  std::int32_t OscChunkCount() const { return chunkCount_; }
  std::int32_t OscChunkCursor() const { return cursor_; }
  bool OscAllLoaded() const { return allLoaded_; }

  // Stored channel count C and points per channel N of the described file.
  unsigned C() const { return OscHeader.C; }
  unsigned N() const { return OscHeader.N; }

 private:
  bool Fail(int code, std::string message);

  RtlFile file_;
  std::string name_;
  std::string lastError_;
  int lastErrorCode_ = 0;
  // OscBuffer: slot a (index a - 1) holds up to 500 consecutive points of
  // stored channel a.
  std::unique_ptr<float[]> buffer_;
  std::int32_t loaded_ = 0;
  std::int32_t chunkCount_ = 0;
  std::int32_t cursor_ = 0;
  bool allLoaded_ = false;
};

// "name,unit" of the first quantity entry whose code is `typeCode`, with NUL
// and blank bytes left out wherever they stand; empty when no entry has it.
std::string QuantityCaption(const OscReader& r, std::uint8_t typeCode);

}  // namespace kv
