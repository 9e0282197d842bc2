# The two commands for a fresh Debian 12 machine (run as root, or with sudo):
#   make demo   builds and runs a full collection on the demo machine; the result lands in build/demo/
#   make test   builds and runs every test under Wine
BUILD := build
JOBS ?= 2

.PHONY: demo test deps build

demo: build
	scripts/demo.sh $(BUILD)

test: build
	scripts/check-format.sh
	scripts/run-tests.sh $(BUILD)

deps:
	scripts/install-deps.sh

# Configures whenever the build folder has no generated build files: a configure that failed half-way
# (a source package the mirror did not serve, say) leaves a cache but no Makefile, and is run again.
build: deps
	@[ -f $(BUILD)/Makefile ] || cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD) -j $(JOBS)
