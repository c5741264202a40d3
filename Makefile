# The project's commands: make build | test | bench | run | package.  SANITIZE=1 builds with ASan+UBSan apart.
JOBS ?= $(shell nproc)
ifeq ($(SANITIZE),1)
BUILD_DIR ?= build-asan
CMAKE_FLAGS += -DVKT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
else
BUILD_DIR ?= build
endif

.PHONY: build test bench run package deps configure clean

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target vkt_benchmarks vkt_gui_benchmarks
	@$(BUILD_DIR)/bench/run-benchmarks
	@QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/bench/gui/vkt_gui_benchmarks --vkt_size=standard --vkt_rounds=5

# The Debian package of the program, built of what it holds only: $(BUILD_DIR)/vektara_<version>_amd64.deb.
package: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target vektara vkt-emfplay vkt_shipped_files vkt_package_files
	@cd $(BUILD_DIR) && cpack -G DEB

run: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target vektara
	@$(BUILD_DIR)/bin/vektara

clean:
	rm -rf build build-asan
