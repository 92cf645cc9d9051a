// Whether the test runs under Wine, whose own behaviour differs from Windows in places (its
// message texts, file change notices); false on every other system.
#pragma once

namespace velt::test {

bool UnderWine();

}  // namespace velt::test
