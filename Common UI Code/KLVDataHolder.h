#pragma once
// Carries an untyped pointer through APIs that take one object; the holder
// never owns or frees what it points to.
#include <memory>

class KLVDataHolder {
public:
    explicit KLVDataHolder(void* data = nullptr) : m_data(data) {}

    static std::unique_ptr<KLVDataHolder> dataHolderWithData(void* data);

    void* data() const { return m_data; }
    void setData(void* data) { m_data = data; }

private:
    void* m_data = nullptr;
};
