#pragma once
// The least a master can do on the same line, as the yardstick of the
// station's transfers: plain libmodbus on one thread, the line opened once
// at the station's rate and parity (even), station 1, each call after the
// last with nothing in between: no yield, no window, no check beyond the
// library's own.

#include <modbus.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

class MinimalMaster {
public:
    MinimalMaster(const std::string& path, int baud)
        : ctx_(modbus_new_rtu(path.c_str(), baud, 'E', 8, 1))
    {
        if (!ctx_)
            return;
        modbus_set_slave(ctx_, 1);
        if (modbus_connect(ctx_) != 0) {
            std::fprintf(stderr, "minimal master: %s\n", modbus_strerror(errno));
            modbus_free(ctx_);
            ctx_ = nullptr;
        }
    }
    ~MinimalMaster()
    {
        if (ctx_) {
            modbus_close(ctx_);
            modbus_free(ctx_);
        }
    }
    MinimalMaster(const MinimalMaster&) = delete;
    MinimalMaster& operator=(const MinimalMaster&) = delete;

    bool Open() const { return ctx_ != nullptr; }

    // Writes value(i) to register first + i (numbered from 1) for i below
    // count, one single-register write each; false once one failed.
    template <typename F> bool Write(int first, int count, F&& value)
    {
        bool ok = ctx_ != nullptr;
        for (int i = 0; ok && i < count; ++i)
            ok = modbus_write_register(ctx_, first - 1 + i, uint16_t(value(i))) == 1;
        return ok;
    }

    // count registers from first (numbered from 1) in one read.
    bool Read(int first, int count)
    {
        uint16_t values[125];
        return ctx_ && count <= 125 && modbus_read_registers(ctx_, first - 1, count, values) == count;
    }

private:
    modbus_t* ctx_;
};
