# recorder tests
