// Initialises wxBase once for the whole test program, as the application
// does before it makes any report.
#include <wx/init.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

class WxEnvironment : public ::testing::Environment {
public:
    void SetUp() override { initializer = std::make_unique<wxInitializer>(); }
    void TearDown() override { initializer.reset(); }

private:
    std::unique_ptr<wxInitializer> initializer;
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new WxEnvironment);

} // namespace
