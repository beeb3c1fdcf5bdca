#include "zarvo/commands.h"

namespace zarvo::tool {

int RunEval(TArgs, std::ostream&, std::ostream& err) {
  err << "zarvo eval: not available yet\n";
  return 2;
}

}  // namespace zarvo::tool
