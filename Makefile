# The commands of the README. Build trees: build/ (release with debug info) and
# build-sanitize/ (AddressSanitizer + UndefinedBehaviorSanitizer).
JOBS ?= $(shell nproc)
CMAKE ?= cmake

.PHONY: all build test sanitize install demo bench scenes fuzz clean

all: build

build:
	$(CMAKE) -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
	$(CMAKE) --build build -j $(JOBS)

test: build
	cd build && ctest --output-on-failure -j $(JOBS)

sanitize:
	$(CMAKE) -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DIDUT_SANITIZE=ON
	$(CMAKE) --build build-sanitize -j $(JOBS)
	cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS)

# Installs the headers, the libraries, the idut program, the CMake package and the
# pkg-config files under PREFIX.
PREFIX ?= /usr/local
install: build
	$(CMAKE) --install build --prefix $(PREFIX)

# Reads the DataMatrix symbols of the sample label image, prints their texts and where
# they are, and draws them over it.
demo:
	$(CMAKE) -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
	$(CMAKE) --build build -j $(JOBS) --target idut_cli
	build/tools/idut read data/labels.pgm --overlay build/labels-overlay.png

# Writes the scored ring-finder and barcode scene sets (README, "Rings and barcodes") into
# SCENES, a temporary folder by default.
SCENES ?= $(or $(TMPDIR),/tmp)/idut-scenes
scenes:
	$(CMAKE) -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
	$(CMAKE) --build build -j $(JOBS) --target make_scenes idut_cli
	build/tools/make_scenes $(SCENES)

# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for FUZZ_SECONDS on
# its corpus under build-fuzz/corpus/; fails on any finding.
FUZZ_SECONDS ?= 60
fuzz:
	CC=clang CXX=clang++ $(CMAKE) -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DIDUT_FUZZ=ON -DBUILD_TESTING=OFF
	$(CMAKE) --build build-fuzz -j $(JOBS) --target fuzz_targets
	fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

clean:
	rm -rf build build-sanitize build-fuzz
