#pragma once

#include <cstdint>
#include <span>
#include <string>

// The chemical clipboard formats a copy offers beside the drawing and its picture.
inline constexpr const char* kMolfileMimeType = "chemical/x-mdl-molfile";
inline constexpr const char* kSmilesMimeType = "chemical/x-daylight-smiles";

// The molecules of a copied drawing as those formats carry them: every molecule in one MOL
// record, and their SMILES joined by '.'. Both empty when the stream is no drawing or holds
// no molecule.
struct CStreamStructure {
  std::string strMolBlock;
  std::string strSmiles;
  bool HasStructure() const { return !strMolBlock.empty() || !strSmiles.empty(); }
};

// Reads a native stream into a drawing of its own (the editor's view is kept out of its
// reach meanwhile, and has the objects and the document back afterwards) and writes its
// molecules.
CStreamStructure StructureOfStream(std::span<const std::uint8_t> stream);
