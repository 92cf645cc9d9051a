// Derives short boolean circuits for the Serpent S-boxes and writes them as C++.
//
// The bitsliced Serpent applies each 4-bit S-box to 32 bit positions at once through a
// circuit of AND, OR, XOR and NOT over the four state words. The circuits are searched for,
// not written by hand: for every table S0..S7 and S0INV..S7INV in
// crypto/tables/serpent-sboxes.txt a randomised greedy search builds circuits gate by gate
// (always taking a gate that completes an output when there is one, else the gate that brings
// the most outputs within one gate), keeps the best of many runs, and checks it on all 16
// inputs against the table before writing it.
//
// "Best" differs by direction. Encryption in CBC runs one block after another, so its time is
// the depth of the circuit (the longest chain of gates from an input to an output): the
// forward S-boxes are searched for the shallowest circuit, then the fewest gates. Decryption
// runs several blocks side by side, where the number of gates counts: the inverse S-boxes
// are searched for the fewest gates.
//
//   g++ -O2 -std=c++20 -o /tmp/derive scripts/derive-serpent-circuits.cpp
//   /tmp/derive [runs]     (from the repository root; writes
//   crypto/ciphers/serpent_sbox_circuits.h)
//
// The search is seeded per S-box, so a run is reproducible. The cipher checks the circuits
// against the tables again when it first runs.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

enum Op { kInput, kAnd, kOr, kXor, kNot };
struct Gate {
  Op op;
  int a, b;
  uint16_t v;  // truth table: bit t is the gate's value on input nibble t
};
struct Circuit {
  std::vector<Gate> gates;  // the four inputs first
  std::array<int, 4> out{};
};

uint16_t Apply(Op op, uint16_t a, uint16_t b) {
  switch (op) {
    case kAnd:
      return a & b;
    case kOr:
      return a | b;
    case kXor:
      return a ^ b;
    default:
      return uint16_t(~a);
  }
}

std::map<std::string, std::vector<int>> LoadTables(const char* path) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "cannot read %s (run from the repository root)\n", path);
    std::exit(1);
  }
  std::map<std::string, std::vector<int>> tables;
  std::string line, name;
  while (std::getline(in, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string w;
    while (words >> w) {
      if (w.front() == '[')
        name = w.substr(1, w.size() - 2);
      else
        tables[name].push_back(int(std::stoi(w, nullptr, 16)));
    }
  }
  return tables;
}

// The longest chain of gates from an input to each gate.
std::vector<int> Depths(const std::vector<Gate>& g) {
  std::vector<int> d(g.size(), 0);
  for (size_t i = 4; i < g.size(); ++i) d[i] = 1 + std::max(d[size_t(g[i].a)], d[size_t(g[i].b)]);
  return d;
}

int Depth(const Circuit& c) {
  std::vector<int> d = Depths(c.gates);
  int m = 0;
  for (int o : c.out) m = std::max(m, d[size_t(o)]);
  return m;
}

// One greedy run; returns a circuit with dead gates removed, or an empty one. A shallow run
// also weighs each candidate gate's depth against it.
Circuit Greedy(const uint16_t (&target)[4], std::mt19937_64& rng, bool shallow) {
  std::vector<Gate> g;
  for (uint16_t v : {0xAAAA, 0xCCCC, 0xF0F0, 0xFF00}) g.push_back({kInput, -1, -1, v});
  std::vector<uint8_t> have(65536, 0);
  for (auto& x : g) have[x.v] = 1;
  std::array<int, 4> out{-1, -1, -1, -1};
  const double noise = std::uniform_real_distribution<double>(0.0, 2.0)(rng);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const double depthWeight = shallow ? std::uniform_real_distribution<double>(0.0, 3.0)(rng) : 0;
  std::vector<int> depth(4, 0);
  auto depthOf = [&](const Gate& x) {
    return 1 + std::max(depth[size_t(x.a)], depth[size_t(x.b)]);
  };
  auto add = [&](Gate x) {
    depth.push_back(depthOf(x));
    g.push_back(x);
    have[x.v] = 1;
  };
  while (true) {
    bool done = true;
    for (int o = 0; o < 4; ++o) {
      for (size_t i = 0; i < g.size() && out[o] < 0; ++i)
        if (g[i].v == target[o]) out[o] = int(i);
      done = done && out[o] >= 0;
    }
    if (done) break;
    if (g.size() > 40) return {};
    // An output one gate away is taken at once (in a shallow run, by the shallowest gate).
    bool took = false;
    for (int o = 0; o < 4 && !took; ++o) {
      if (out[o] >= 0) continue;
      Gate found{};
      bool any = false;
      auto offer = [&](Gate x) {
        if (!any || (shallow && depthOf(x) < depthOf(found))) found = x;
        any = true;
      };
      for (size_t i = 0; i < g.size() && (shallow || !any); ++i) {
        if (g[i].v == uint16_t(~target[o])) offer({kNot, int(i), int(i), target[o]});
        for (size_t j = i + 1; j < g.size() && (shallow || !any); ++j)
          for (Op op : {kAnd, kOr, kXor})
            if ((shallow || !any) && Apply(op, g[i].v, g[j].v) == target[o])
              offer({op, int(i), int(j), target[o]});
      }
      if (any) {
        add(found);
        took = true;
      }
    }
    if (took) continue;
    Gate best{};
    double bestScore = -1e9;
    auto consider = [&](Gate x) {
      if (have[x.v]) return;
      double score = noise * unit(rng) - depthWeight * depthOf(x);
      for (int o = 0; o < 4; ++o) {
        if (out[o] >= 0) continue;
        const uint16_t t = target[o];
        bool near = x.v == uint16_t(~t);
        int dist = 16;
        for (size_t i = 0; i <= g.size() && !near; ++i) {
          uint16_t p = i < g.size() ? g[i].v : x.v;
          for (Op op : {kAnd, kOr, kXor}) {
            uint16_t r = Apply(op, x.v, p);
            int d = __builtin_popcount(unsigned(uint16_t(r ^ t)));
            near = near || d == 0 || d == 16;
            dist = std::min(dist, std::min(d, 16 - d));
          }
        }
        score += near ? 10 : 0.3 * (16 - dist);
      }
      if (score > bestScore) {
        bestScore = score;
        best = x;
      }
    };
    for (size_t i = 0; i < g.size(); ++i) {
      consider({kNot, int(i), int(i), uint16_t(~g[i].v)});
      for (size_t j = i + 1; j < g.size(); ++j)
        for (Op op : {kAnd, kOr, kXor}) consider({op, int(i), int(j), Apply(op, g[i].v, g[j].v)});
    }
    add(best);
  }
  std::vector<int> live(g.size(), 0), index(g.size(), -1);
  for (int o : out) live[size_t(o)] = 1;
  for (size_t i = g.size(); i-- > 4;)
    if (live[i]) live[size_t(g[i].a)] = live[size_t(g[i].b)] = 1;
  Circuit c;
  for (size_t i = 0; i < g.size(); ++i) {
    if (i >= 4 && !live[i]) continue;
    index[i] = int(c.gates.size());
    Gate x = g[i];
    if (i >= 4) x.a = index[size_t(x.a)], x.b = index[size_t(x.b)];
    c.gates.push_back(x);
  }
  for (int o = 0; o < 4; ++o) c.out[size_t(o)] = index[size_t(out[size_t(o)])];
  return c;
}

int Evaluate(const Circuit& c, int x) {
  std::vector<int> v;
  for (size_t i = 0; i < c.gates.size(); ++i) {
    const Gate& g = c.gates[i];
    v.push_back(g.op == kInput
                    ? x >> i & 1
                    : Apply(g.op, uint16_t(v[size_t(g.a)]), uint16_t(v[size_t(g.b)])) & 1);
  }
  int y = 0;
  for (int o = 0; o < 4; ++o) y |= v[size_t(c.out[size_t(o)])] << o;
  return y;
}

std::string Render(const std::string& name, const Circuit& c) {
  std::string fn = "Sbox" + name.substr(1, 1) + (name.size() > 2 ? "Inv" : "");
  std::ostringstream s;
  s << "// " << name << ": " << c.gates.size() - 4 << " gates, depth " << Depth(c)
    << ".\ntemplate <class W>\ninline void " << fn << "(W& x0, W& x1, W& x2, W& x3) {\n";
  auto var = [](int i) { return (i < 4 ? "x" : "t") + std::to_string(i); };
  for (size_t i = 4; i < c.gates.size(); ++i) {
    const Gate& g = c.gates[i];
    s << "  const W t" << i << " = ";
    if (g.op == kNot)
      s << "~" << var(g.a);
    else
      s << var(g.a) << (g.op == kAnd ? " & " : g.op == kOr ? " | " : " ^ ") << var(g.b);
    s << ";\n";
  }
  for (int o = 0; o < 4; ++o) s << "  x" << o << " = " << var(c.out[size_t(o)]) << ";\n";
  s << "}\n";
  return s.str();
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 500;
  auto tables = LoadTables("crypto/tables/serpent-sboxes.txt");
  std::string body;
  for (int inv = 0; inv < 2; ++inv)
    for (int n = 0; n < 8; ++n) {
      std::string name = "S" + std::to_string(n) + (inv ? "INV" : "");
      const auto& sbox = tables[name];
      if (sbox.size() != 16) {
        std::fprintf(stderr, "no 16-entry table %s\n", name.c_str());
        return 1;
      }
      uint16_t target[4] = {};
      for (int t = 0; t < 16; ++t)
        for (int o = 0; o < 4; ++o)
          if (sbox[size_t(t)] >> o & 1) target[o] |= uint16_t(1 << t);
      std::mt19937_64 rng(uint64_t(0x5E4FE47 + 16 * inv + n));
      const bool shallow = !inv;
      auto cost = [&](const Circuit& c) {
        return shallow ? std::pair(Depth(c), c.gates.size()) : std::pair(0, c.gates.size());
      };
      Circuit best;
      for (int r = 0; r < runs; ++r) {
        Circuit c = Greedy(target, rng, shallow);
        if (!c.gates.empty() && (best.gates.empty() || cost(c) < cost(best))) best = c;
      }
      for (int x = 0; x < 16; ++x)
        if (Evaluate(best, x) != sbox[size_t(x)]) {
          std::fprintf(stderr, "%s: circuit does not reproduce the table\n", name.c_str());
          return 1;
        }
      std::fprintf(stderr, "%s: %zu gates, depth %d\n", name.c_str(), best.gates.size() - 4,
                   Depth(best));
      body += (body.empty() ? "" : "\n") + Render(name, best);
    }
  std::ofstream out("crypto/ciphers/serpent_sbox_circuits.h");
  out << "// Generated by scripts/derive-serpent-circuits.cpp from\n"
         "// crypto/tables/serpent-sboxes.txt. Do not edit.\n"
         "// Bitsliced Serpent S-boxes: bit k of the input nibble is word xk, and so is bit k of\n"
         "// the output. W is any unsigned word or vector of words.\n"
         "#pragma once\n\nnamespace velt::crypto::serpent_circuits {\n\n"
      << body << "\n}  // namespace velt::crypto::serpent_circuits\n";
  return 0;
}
