// The data structure family of built-in functions (`ds_*`) and the tables of live containers.
#pragma once

#include "code/builtin.h"
#include "datastructures/grid.h"
#include "datastructures/id_table.h"
#include "datastructures/list.h"
#include "datastructures/map.h"
#include "datastructures/priority.h"
#include "datastructures/queue.h"
#include "datastructures/stack.h"

namespace qv::datastructures {

code::BuiltinFamily DataStructureFunctions();

// The containers of the running game; they live from create to destroy or the end of the game,
// not tied to rooms or instances.
struct DataStructures {
  IdTable<CDS_Stack> stacks;
  IdTable<CDS_Queue> queues;
  IdTable<CDS_List> lists;
  IdTable<CDS_Map> maps;
  IdTable<CDS_Priority> priorities;
  IdTable<CDS_Grid> grids;
};
DataStructures& dataStructures();
// Destroys every container and sets the precision back to 1e-8 (game start and restart).
void ResetDataStructures();

}  // namespace qv::datastructures
