BUILD_DIR := build
SANITIZE_DIR := build-sanitize
JOBS := $(shell nproc 2>/dev/null || echo 2)

.PHONY: all run test sanitize build deps clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
	@cmake --build $(BUILD_DIR)

run: build
	@./$(BUILD_DIR)/recdb

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRECDB_SANITIZE=ON > /dev/null
	@cmake --build $(SANITIZE_DIR)
	@ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)
