// Data structure family. Sections: the container lookup; the functions every kind shares
// (create, destroy, clear, copy, size, empty, write, read); stacks; queues; lists; maps; priority
// queues; grids; the registration table.
#include "datastructures/builtins.h"

#include "code/errors.h"
#include "datastructures/compare.h"

namespace qv::datastructures {

using code::BuiltinCall;
using code::BuiltinFunction;
using code::roundToInt64;

DataStructures& dataStructures() {
  static DataStructures tables;
  return tables;
}

void ResetDataStructures() {
  DataStructures& d = dataStructures();
  d.stacks.reset();
  d.queues.reset();
  d.lists.reset();
  d.maps.reset();
  d.priorities.reset();
  d.grids.reset();
  SetPrecision(1e-8);
}

namespace {

// ---- the container lookup

template <class T> IdTable<T>& table();
template <> IdTable<CDS_Stack>& table() { return dataStructures().stacks; }
template <> IdTable<CDS_Queue>& table() { return dataStructures().queues; }
template <> IdTable<CDS_List>& table() { return dataStructures().lists; }
template <> IdTable<CDS_Map>& table() { return dataStructures().maps; }
template <> IdTable<CDS_Priority>& table() { return dataStructures().priorities; }
template <> IdTable<CDS_Grid>& table() { return dataStructures().grids; }

// The container named by argument i, or nullptr after reporting the error. Ids are rounded in 64
// bits so that a huge real cannot wrap onto a live id.
template <class T>
T* container(const BuiltinCall& c, int i) {
  T* found = table<T>().get(roundToInt64(c.real(i)));
  if (!found) code::ReportActionError("Data structure with index does not exist.");
  return found;
}

int64_t position(const BuiltinCall& c, int i) { return roundToInt64(c.real(i)); }

// ---- functions every kind shares

template <class T>
void Create(BuiltinCall& c) { c.result = static_cast<double>(table<T>().create()); }

template <class T>
void Destroy(BuiltinCall& c) {
  if (!table<T>().destroy(roundToInt64(c.real(0)))) code::ReportActionError("Data structure with index does not exist.");
}

template <class T>
void Clear(BuiltinCall& c) {
  if (T* d = container<T>(c, 0)) d->clear();
}

template <class T>
void Copy(BuiltinCall& c) {
  T* target = container<T>(c, 0);
  if (!target) return;
  T* source = container<T>(c, 1);
  if (source && source != target) *target = *source;
}

template <class T>
void Size(BuiltinCall& c) {
  if (T* d = container<T>(c, 0)) c.result = static_cast<double>(d->size());
}

template <class T>
void Empty(BuiltinCall& c) {
  if (T* d = container<T>(c, 0)) c.result = code::truthValue(d->size() == 0);
}

template <class T>
void Write(BuiltinCall& c) {
  T* d = container<T>(c, 0);
  if (!d) return;
  CStream s;
  d->write(s);
  c.result = s.ToHex();
}

// A wrong record number leaves the container as it was; broken text throws (see record.h).
template <class T>
void Read(BuiltinCall& c) {
  T* d = container<T>(c, 0);
  if (!d) return;
  CStream s = DecodeRecordText(c.string(1));
  T::read(s, *d);
}

void SetPrecisionFn(BuiltinCall& c) { SetPrecision(c.real(0)); }

// ---- stacks

void StackPush(BuiltinCall& c) {
  if (auto* d = container<CDS_Stack>(c, 0)) d->push(c.args[1]);
}
void StackPop(BuiltinCall& c) {
  if (auto* d = container<CDS_Stack>(c, 0)) c.result = d->pop();
}
void StackTop(BuiltinCall& c) {
  if (auto* d = container<CDS_Stack>(c, 0)) c.result = d->top();
}

// ---- queues

void QueueEnqueue(BuiltinCall& c) {
  if (auto* d = container<CDS_Queue>(c, 0)) d->enqueue(c.args[1]);
}
void QueueDequeue(BuiltinCall& c) {
  if (auto* d = container<CDS_Queue>(c, 0)) c.result = d->dequeue();
}
void QueueHead(BuiltinCall& c) {
  if (auto* d = container<CDS_Queue>(c, 0)) c.result = d->head();
}
void QueueTail(BuiltinCall& c) {
  if (auto* d = container<CDS_Queue>(c, 0)) c.result = d->tail();
}

// ---- lists

void ListAdd(BuiltinCall& c) {
  if (auto* d = container<CDS_List>(c, 0)) d->add(c.args[1]);
}
void ListInsert(BuiltinCall& c) {
  if (auto* d = container<CDS_List>(c, 0)) d->insert(position(c, 1), c.args[2]);
}
void ListReplace(BuiltinCall& c) {
  if (auto* d = container<CDS_List>(c, 0)) d->replace(position(c, 1), c.args[2]);
}
void ListDelete(BuiltinCall& c) {
  if (auto* d = container<CDS_List>(c, 0)) d->erase(position(c, 1));
}
void ListFindIndex(BuiltinCall& c) {
  if (auto* d = container<CDS_List>(c, 0)) c.result = static_cast<double>(d->findIndex(c.args[1]));
}
void ListFindValue(BuiltinCall& c) {
  if (auto* d = container<CDS_List>(c, 0)) c.result = d->findValue(position(c, 1));
}
void ListSort(BuiltinCall& c) {
  if (auto* d = container<CDS_List>(c, 0)) d->sort(c.truth(1));
}
void ListShuffle(BuiltinCall& c) {
  if (auto* d = container<CDS_List>(c, 0)) d->shuffle();
}

// ---- maps

void MapAdd(BuiltinCall& c) {
  if (auto* d = container<CDS_Map>(c, 0)) d->add(c.args[1], c.args[2]);
}
void MapReplace(BuiltinCall& c) {
  if (auto* d = container<CDS_Map>(c, 0)) d->replace(c.args[1], c.args[2]);
}
void MapDelete(BuiltinCall& c) {
  if (auto* d = container<CDS_Map>(c, 0)) d->erase(c.args[1]);
}
void MapExists(BuiltinCall& c) {
  if (auto* d = container<CDS_Map>(c, 0)) c.result = code::truthValue(d->exists(c.args[1]));
}
void MapFindValue(BuiltinCall& c) {
  if (auto* d = container<CDS_Map>(c, 0)) c.result = d->findValue(c.args[1]);
}
void MapFindPrevious(BuiltinCall& c) {
  if (auto* d = container<CDS_Map>(c, 0)) c.result = d->findPrevious(c.args[1]);
}
void MapFindNext(BuiltinCall& c) {
  if (auto* d = container<CDS_Map>(c, 0)) c.result = d->findNext(c.args[1]);
}
void MapFindFirst(BuiltinCall& c) {
  if (auto* d = container<CDS_Map>(c, 0)) c.result = d->findFirst();
}
void MapFindLast(BuiltinCall& c) {
  if (auto* d = container<CDS_Map>(c, 0)) c.result = d->findLast();
}

// ---- priority queues

void PriorityAdd(BuiltinCall& c) {
  if (auto* d = container<CDS_Priority>(c, 0)) d->add(c.args[1], c.args[2]);
}
void PriorityChange(BuiltinCall& c) {
  if (auto* d = container<CDS_Priority>(c, 0)) d->changePriority(c.args[1], c.args[2]);
}
void PriorityFind(BuiltinCall& c) {
  if (auto* d = container<CDS_Priority>(c, 0)) c.result = d->findPriority(c.args[1]);
}
void PriorityDeleteValue(BuiltinCall& c) {
  if (auto* d = container<CDS_Priority>(c, 0)) d->deleteValue(c.args[1]);
}
void PriorityDeleteMin(BuiltinCall& c) {
  if (auto* d = container<CDS_Priority>(c, 0)) c.result = d->deleteMin();
}
void PriorityFindMin(BuiltinCall& c) {
  if (auto* d = container<CDS_Priority>(c, 0)) c.result = d->findMin();
}
void PriorityDeleteMax(BuiltinCall& c) {
  if (auto* d = container<CDS_Priority>(c, 0)) c.result = d->deleteMax();
}
void PriorityFindMax(BuiltinCall& c) {
  if (auto* d = container<CDS_Priority>(c, 0)) c.result = d->findMax();
}

// ---- grids

using Combine = CDS_Grid::Combine;

void reportTooLarge() { code::ReportActionError("Data structure too large."); }

void GridCreate(BuiltinCall& c) {
  CDS_Grid grid;
  if (!grid.resize(position(c, 0), position(c, 1))) {
    reportTooLarge();
    c.result = -1.0;
    return;
  }
  int64_t id = table<CDS_Grid>().create();
  *table<CDS_Grid>().get(id) = std::move(grid);
  c.result = static_cast<double>(id);
}
void GridResize(BuiltinCall& c) {
  if (auto* g = container<CDS_Grid>(c, 0))
    if (!g->resize(position(c, 1), position(c, 2))) reportTooLarge();
}
void GridWidth(BuiltinCall& c) {
  if (auto* g = container<CDS_Grid>(c, 0)) c.result = static_cast<double>(g->width());
}
void GridHeight(BuiltinCall& c) {
  if (auto* g = container<CDS_Grid>(c, 0)) c.result = static_cast<double>(g->height());
}
void GridClear(BuiltinCall& c) {
  if (auto* g = container<CDS_Grid>(c, 0)) g->clear(c.args[1]);
}
void GridGet(BuiltinCall& c) {
  if (auto* g = container<CDS_Grid>(c, 0)) c.result = g->get(position(c, 1), position(c, 2));
}

// ---- real forms of the reads, for numeric code: a missing container or a string result is left
// to the handler (which reports the one and gives the other)

template <class T>
T* containerOf(double id) { return table<T>().get(roundToInt64(id)); }

bool realResult(const RValue& v, double& out) {
  out = v.real;
  return v.isReal();
}

template <class T>
bool sizeReal(const double* a, int, double& out) {
  const T* d = containerOf<T>(a[0]);
  if (d) out = static_cast<double>(d->size());
  return d != nullptr;
}
template <class T>
bool emptyReal(const double* a, int, double& out) {
  const T* d = containerOf<T>(a[0]);
  if (d) out = code::truthValue(d->size() == 0);
  return d != nullptr;
}
bool listFindValueReal(const double* a, int, double& out) {
  const CDS_List* d = containerOf<CDS_List>(a[0]);
  return d && realResult(d->findValue(roundToInt64(a[1])), out);
}
bool mapExistsReal(const double* a, int, double& out) {
  const CDS_Map* d = containerOf<CDS_Map>(a[0]);
  if (d) out = code::truthValue(d->exists(RValue(a[1])));
  return d != nullptr;
}
bool mapFindValueReal(const double* a, int, double& out) {
  const CDS_Map* d = containerOf<CDS_Map>(a[0]);
  return d && realResult(d->findValue(RValue(a[1])), out);
}
bool gridGetReal(const double* a, int, double& out) {
  const CDS_Grid* g = containerOf<CDS_Grid>(a[0]);
  return g && realResult(g->get(roundToInt64(a[1]), roundToInt64(a[2])), out);
}

CDS_Grid::Region regionArgs(const CDS_Grid& g, const BuiltinCall& c) {
  return g.region(position(c, 1), position(c, 2), position(c, 3), position(c, 4));
}
CDS_Grid::Disk diskArgs(const BuiltinCall& c) { return {c.real(1), c.real(2), c.real(3)}; }

template <Combine kOp>
void GridCell(BuiltinCall& c) {
  if (auto* g = container<CDS_Grid>(c, 0)) g->apply(kOp, position(c, 1), position(c, 2), c.args[3]);
}
template <Combine kOp>
void GridRegion(BuiltinCall& c) {
  if (auto* g = container<CDS_Grid>(c, 0)) g->applyRegion(kOp, regionArgs(*g, c), c.args[5]);
}
template <Combine kOp>
void GridDisk(BuiltinCall& c) {
  if (auto* g = container<CDS_Grid>(c, 0)) g->applyDisk(kOp, diskArgs(c), c.args[4]);
}
template <Combine kOp>
void GridGridRegion(BuiltinCall& c) {
  auto* g = container<CDS_Grid>(c, 0);
  if (!g) return;
  auto* source = container<CDS_Grid>(c, 1);
  if (!source) return;
  g->applyGridRegion(kOp, *source, position(c, 2), position(c, 3), position(c, 4), position(c, 5), position(c, 6),
                     position(c, 7));
}

enum class Stat { sum, max, min, mean };
double pick(const CDS_Grid::Stats& s, Stat which) {
  switch (which) {
    case Stat::sum: return s.sum;
    case Stat::max: return s.max;
    case Stat::min: return s.min;
    case Stat::mean: return s.mean();
  }
  return 0;
}
template <Stat kWhich>
void GridRegionStat(BuiltinCall& c) {
  if (auto* g = container<CDS_Grid>(c, 0)) c.result = pick(g->stats(regionArgs(*g, c)), kWhich);
}
template <Stat kWhich>
void GridDiskStat(BuiltinCall& c) {
  if (auto* g = container<CDS_Grid>(c, 0)) c.result = pick(g->stats(diskArgs(c)), kWhich);
}

enum class Answer { exists, x, y };
double answer(const CDS_Grid::Found& f, Answer which) {
  if (!f.found) return 0;
  return which == Answer::exists ? 1.0 : static_cast<double>(which == Answer::x ? f.x : f.y);
}
template <Answer kWhich>
void GridRegionValue(BuiltinCall& c) {
  if (auto* g = container<CDS_Grid>(c, 0)) c.result = answer(g->find(regionArgs(*g, c), c.args[5]), kWhich);
}
template <Answer kWhich>
void GridDiskValue(BuiltinCall& c) {
  if (auto* g = container<CDS_Grid>(c, 0)) c.result = answer(g->find(diskArgs(c), c.args[4]), kWhich);
}
void GridShuffle(BuiltinCall& c) {
  if (auto* g = container<CDS_Grid>(c, 0)) g->shuffle();
}

// ---- the registration table

const BuiltinFunction kDataStructureFunctions[] = {
    {"ds_set_precision", SetPrecisionFn, 1},

    {"ds_stack_create", Create<CDS_Stack>, 0},
    {"ds_stack_destroy", Destroy<CDS_Stack>, 1},
    {"ds_stack_clear", Clear<CDS_Stack>, 1},
    {"ds_stack_copy", Copy<CDS_Stack>, 2},
    {"ds_stack_size", Size<CDS_Stack>, 1, sizeReal<CDS_Stack>},
    {"ds_stack_empty", Empty<CDS_Stack>, 1, emptyReal<CDS_Stack>},
    {"ds_stack_write", Write<CDS_Stack>, 1},
    {"ds_stack_read", Read<CDS_Stack>, 2},
    {"ds_stack_push", StackPush, 2},
    {"ds_stack_pop", StackPop, 1},
    {"ds_stack_top", StackTop, 1},

    {"ds_queue_create", Create<CDS_Queue>, 0},
    {"ds_queue_destroy", Destroy<CDS_Queue>, 1},
    {"ds_queue_clear", Clear<CDS_Queue>, 1},
    {"ds_queue_copy", Copy<CDS_Queue>, 2},
    {"ds_queue_size", Size<CDS_Queue>, 1, sizeReal<CDS_Queue>},
    {"ds_queue_empty", Empty<CDS_Queue>, 1, emptyReal<CDS_Queue>},
    {"ds_queue_write", Write<CDS_Queue>, 1},
    {"ds_queue_read", Read<CDS_Queue>, 2},
    {"ds_queue_enqueue", QueueEnqueue, 2},
    {"ds_queue_dequeue", QueueDequeue, 1},
    {"ds_queue_head", QueueHead, 1},
    {"ds_queue_tail", QueueTail, 1},

    {"ds_list_create", Create<CDS_List>, 0},
    {"ds_list_destroy", Destroy<CDS_List>, 1},
    {"ds_list_clear", Clear<CDS_List>, 1},
    {"ds_list_copy", Copy<CDS_List>, 2},
    {"ds_list_size", Size<CDS_List>, 1, sizeReal<CDS_List>},
    {"ds_list_empty", Empty<CDS_List>, 1, emptyReal<CDS_List>},
    {"ds_list_write", Write<CDS_List>, 1},
    {"ds_list_read", Read<CDS_List>, 2},
    {"ds_list_add", ListAdd, 2},
    {"ds_list_insert", ListInsert, 3},
    {"ds_list_replace", ListReplace, 3},
    {"ds_list_delete", ListDelete, 2},
    {"ds_list_find_index", ListFindIndex, 2},
    {"ds_list_find_value", ListFindValue, 2, listFindValueReal},
    {"ds_list_sort", ListSort, 2},
    {"ds_list_shuffle", ListShuffle, 1},

    {"ds_map_create", Create<CDS_Map>, 0},
    {"ds_map_destroy", Destroy<CDS_Map>, 1},
    {"ds_map_clear", Clear<CDS_Map>, 1},
    {"ds_map_copy", Copy<CDS_Map>, 2},
    {"ds_map_size", Size<CDS_Map>, 1, sizeReal<CDS_Map>},
    {"ds_map_empty", Empty<CDS_Map>, 1, emptyReal<CDS_Map>},
    {"ds_map_write", Write<CDS_Map>, 1},
    {"ds_map_read", Read<CDS_Map>, 2},
    {"ds_map_add", MapAdd, 3},
    {"ds_map_replace", MapReplace, 3},
    {"ds_map_delete", MapDelete, 2},
    {"ds_map_exists", MapExists, 2, mapExistsReal},
    {"ds_map_find_value", MapFindValue, 2, mapFindValueReal},
    {"ds_map_find_previous", MapFindPrevious, 2},
    {"ds_map_find_next", MapFindNext, 2},
    {"ds_map_find_first", MapFindFirst, 1},
    {"ds_map_find_last", MapFindLast, 1},

    {"ds_priority_create", Create<CDS_Priority>, 0},
    {"ds_priority_destroy", Destroy<CDS_Priority>, 1},
    {"ds_priority_clear", Clear<CDS_Priority>, 1},
    {"ds_priority_copy", Copy<CDS_Priority>, 2},
    {"ds_priority_size", Size<CDS_Priority>, 1, sizeReal<CDS_Priority>},
    {"ds_priority_empty", Empty<CDS_Priority>, 1, emptyReal<CDS_Priority>},
    {"ds_priority_write", Write<CDS_Priority>, 1},
    {"ds_priority_read", Read<CDS_Priority>, 2},
    {"ds_priority_add", PriorityAdd, 3},
    {"ds_priority_change_priority", PriorityChange, 3},
    {"ds_priority_find_priority", PriorityFind, 2},
    {"ds_priority_delete_value", PriorityDeleteValue, 2},
    {"ds_priority_delete_min", PriorityDeleteMin, 1},
    {"ds_priority_find_min", PriorityFindMin, 1},
    {"ds_priority_delete_max", PriorityDeleteMax, 1},
    {"ds_priority_find_max", PriorityFindMax, 1},

    {"ds_grid_create", GridCreate, 2},
    {"ds_grid_destroy", Destroy<CDS_Grid>, 1},
    {"ds_grid_copy", Copy<CDS_Grid>, 2},
    {"ds_grid_write", Write<CDS_Grid>, 1},
    {"ds_grid_read", Read<CDS_Grid>, 2},
    {"ds_grid_resize", GridResize, 3},
    {"ds_grid_width", GridWidth, 1},
    {"ds_grid_height", GridHeight, 1},
    {"ds_grid_clear", GridClear, 2},
    {"ds_grid_set", GridCell<Combine::set>, 4},
    {"ds_grid_add", GridCell<Combine::add>, 4},
    {"ds_grid_multiply", GridCell<Combine::multiply>, 4},
    {"ds_grid_set_region", GridRegion<Combine::set>, 6},
    {"ds_grid_add_region", GridRegion<Combine::add>, 6},
    {"ds_grid_multiply_region", GridRegion<Combine::multiply>, 6},
    {"ds_grid_set_disk", GridDisk<Combine::set>, 5},
    {"ds_grid_add_disk", GridDisk<Combine::add>, 5},
    {"ds_grid_multiply_disk", GridDisk<Combine::multiply>, 5},
    {"ds_grid_set_grid_region", GridGridRegion<Combine::set>, 8},
    {"ds_grid_add_grid_region", GridGridRegion<Combine::add>, 8},
    {"ds_grid_multiply_grid_region", GridGridRegion<Combine::multiply>, 8},
    {"ds_grid_get", GridGet, 3, gridGetReal},
    {"ds_grid_get_sum", GridRegionStat<Stat::sum>, 5},
    {"ds_grid_get_max", GridRegionStat<Stat::max>, 5},
    {"ds_grid_get_min", GridRegionStat<Stat::min>, 5},
    {"ds_grid_get_mean", GridRegionStat<Stat::mean>, 5},
    {"ds_grid_get_disk_sum", GridDiskStat<Stat::sum>, 4},
    {"ds_grid_get_disk_min", GridDiskStat<Stat::min>, 4},
    {"ds_grid_get_disk_max", GridDiskStat<Stat::max>, 4},
    {"ds_grid_get_disk_mean", GridDiskStat<Stat::mean>, 4},
    {"ds_grid_value_exists", GridRegionValue<Answer::exists>, 6},
    {"ds_grid_value_x", GridRegionValue<Answer::x>, 6},
    {"ds_grid_value_y", GridRegionValue<Answer::y>, 6},
    {"ds_grid_value_disk_exists", GridDiskValue<Answer::exists>, 5},
    {"ds_grid_value_disk_x", GridDiskValue<Answer::x>, 5},
    {"ds_grid_value_disk_y", GridDiskValue<Answer::y>, 5},
    {"ds_grid_shuffle", GridShuffle, 1},
};

}  // namespace

code::BuiltinFamily DataStructureFunctions() { return kDataStructureFunctions; }

}  // namespace qv::datastructures
