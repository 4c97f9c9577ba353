#pragma once

// A set of texts numbered in the order they were first added, looked up by
// text. The import asks it for every row of SOLUC several times, so it keeps
// its slots in one flat array (open addressing) instead of a node per entry.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pontexa::importacion {

class IndiceTextos {
 public:
  // The number of `texto`, adding it when it is new.
  std::size_t Anadir(std::string_view texto) {
    const auto hash = static_cast<std::uint32_t>(std::hash<std::string_view>{}(texto));
    // At most three slots in four taken, so probes stay short.
    if ((textos_.size() + 1) * 4 > ranuras_.size() * 3) Crecer();
    std::size_t i = hash & (ranuras_.size() - 1);
    while (ranuras_[i].numero != 0) {
      const Ranura& r = ranuras_[i];
      if (r.hash == hash && textos_[r.numero - 1] == texto) return r.numero - 1;
      i = (i + 1) & (ranuras_.size() - 1);
    }
    ranuras_[i] = {hash, static_cast<std::uint32_t>(textos_.size() + 1)};
    textos_.emplace_back(texto);
    return textos_.size() - 1;
  }

  std::optional<std::size_t> Buscar(std::string_view texto) const {
    if (ranuras_.empty()) return std::nullopt;
    const auto hash = static_cast<std::uint32_t>(std::hash<std::string_view>{}(texto));
    for (std::size_t i = hash & (ranuras_.size() - 1); ranuras_[i].numero != 0; i = (i + 1) & (ranuras_.size() - 1)) {
      const Ranura& r = ranuras_[i];
      if (r.hash == hash && textos_[r.numero - 1] == texto) return r.numero - 1;
    }
    return std::nullopt;
  }

  bool Contiene(std::string_view texto) const { return Buscar(texto).has_value(); }
  std::size_t Tamano() const { return textos_.size(); }

 private:
  // Eight bytes, so the slots of a few thousand codes stay in the cache.
  struct Ranura {
    std::uint32_t hash = 0;    // low bits of the text's hash
    std::uint32_t numero = 0;  // 1-based; 0 marks a free slot
  };

  void Crecer() {
    std::vector<Ranura> nuevas(ranuras_.empty() ? 64 : ranuras_.size() * 2);
    for (const Ranura& r : ranuras_) {
      if (r.numero == 0) continue;
      std::size_t i = r.hash & (nuevas.size() - 1);
      while (nuevas[i].numero != 0) i = (i + 1) & (nuevas.size() - 1);
      nuevas[i] = r;
    }
    ranuras_.swap(nuevas);
  }

  std::vector<Ranura> ranuras_;
  std::vector<std::string> textos_;
};

}  // namespace pontexa::importacion
