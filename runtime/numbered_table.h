// Tables of objects that the program numbers itself: windows, gadgets, fonts,
// images, open files and folder listings.  Numbers 0, 1, 2... index a table
// that grows when a higher number is used; the number -1 asks for an
// identifier outside the table, which the creating operation hands back and
// the program passes later wherever a number is expected.
#pragma once

#include <map>
#include <optional>
#include <vector>

template <typename T>
class NumberedTable {
public:
    // The table starts with `initial` entries; a number at or beyond the end
    // grows it to number + `growth` entries.  Identifiers for -1 are taken
    // from first_identifier..last_identifier (gadget identifiers must fit the
    // 16-bit control id of WM_COMMAND).
    NumberedTable(int initial, int growth, int first_identifier, int last_identifier)
        : slots_(initial), growth_(growth), first_id_(first_identifier), last_id_(last_identifier) {}

    // The object under a number or identifier, nullptr when there is none.
    T* find(int number) {
        if (number < 0) return nullptr;
        if (number < static_cast<int>(slots_.size()) && slots_[number]) return &*slots_[number];
        auto it = allocated_.find(number);
        return it == allocated_.end() ? nullptr : &it->second;
    }

    // Stores a new object under `number` (or under a fresh identifier for -1)
    // and returns the number it was stored under, or -1 when no identifier is
    // left.  The caller destroys any object of that number first.
    int store(int number, T object) {
        if (number == -1) {
            number = free_identifier();
            if (number < 0) return -1;
            allocated_.emplace(number, std::move(object));
            return number;
        }
        if (number < 0) return -1;
        allocated_.erase(number);
        if (number >= static_cast<int>(slots_.size())) slots_.resize(number + growth_);
        slots_[number] = std::move(object);
        return number;
    }

    void remove(int number) {
        if (number < 0) return;
        if (number < static_cast<int>(slots_.size()) && slots_[number]) {
            slots_[number].reset();
            return;
        }
        allocated_.erase(number);
    }

    // Calls f(number, object) for every object, table numbers first.
    template <typename F>
    void for_each(F f) {
        for (int n = 0; n < static_cast<int>(slots_.size()); ++n)
            if (slots_[n]) f(n, *slots_[n]);
        for (auto& [n, object] : allocated_) f(n, object);
    }

    int capacity() const { return static_cast<int>(slots_.size()); }

private:
    int free_identifier() const {
        for (int id = first_id_; id <= last_id_; ++id) {
            bool in_table = id < static_cast<int>(slots_.size()) && slots_[id];
            if (!in_table && !allocated_.count(id)) return id;
        }
        return -1;
    }

    std::vector<std::optional<T>> slots_;
    std::map<int, T> allocated_;
    int growth_;
    int first_id_;
    int last_id_;
};
