# Kestrin: cross-built Windows binaries, tested under Wine.
#   make test   install what is missing, build x86 and x64, run every test under Wine
#   make demo   run the main road as far as it reaches today
BUILD ?= build
DEPS  ?= /var/cache/kestrin-deps
JOBS  ?= $(shell nproc)
ARCHS := x86 x64
TOOLCHAIN_x86 := cmake/toolchain-i686.cmake
TOOLCHAIN_x64 := cmake/toolchain-x86_64.cmake
DEPDIR_x86 := $(DEPS)/i686
DEPDIR_x64 := $(DEPS)/x86_64

.PHONY: all setup build test demo clean

all: build

setup:
	bash tools/bootstrap.sh
	bash tools/deps.sh $(DEPS)
	bash tools/wine-prefix.sh $(abspath $(BUILD))/wineprefix

build-%: setup
	cmake -S . -B $(BUILD)/$* -G Ninja -DCMAKE_TOOLCHAIN_FILE=$(TOOLCHAIN_$*) \
	  -DKESTRIN_DEPS=$(DEPDIR_$*) -DKESTRIN_WINEPREFIX=$(abspath $(BUILD))/wineprefix >/dev/null
	cmake --build $(BUILD)/$* -j $(JOBS)

# x64 first: the 32-bit setup library carries the 64-bit add-on of the x64 build.
build: build-x64 build-x86

test: build
	bash tools/run-tests.sh $(BUILD) $(JOBS) $(ARCHS)

demo: build
	bash tools/demo.sh $(BUILD)

clean:
	rm -rf $(BUILD)
